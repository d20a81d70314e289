#include <gtest/gtest.h>

#include <cstring>

#include "dtb_kit.h"
#include "find_replace.h"
#include "journal.h"

namespace {

DtbBuilder Sample() {  // 0x42280000 is 42.0
    DtbBuilder b;
    b.Top(3).Node(16, 4, 1).Text(5, "Biome").Text(2, "lava_biome").Scalar(0, 42).Scalar(1, 0x42280000);
    b.Node(16, 3, 42).Text(5, "player").Text(7, std::string("Lava Lake\0tail", 14)).Scalar(6, 0xFFFFFFFF);
    return b.Text(5, "biome");
}

struct Case {
    uint32_t look;
    const char* pattern;
    const char* flags;  // c: match case, w: whole value, r: regular expression
    const char* with;
    const char* found;    // the chunks Find All lists
    const char* changed;  // the rows Replace All changes, or its message
};

std::string Join(const std::vector<int32_t>& chunks) {
    std::string s;
    for (int32_t c : chunks) s += (s.empty() ? "" : " ") + std::to_string(c);
    return s;
}

FindOptions Options(const Case& c) {
    FindOptions o;
    o.Pattern = c.pattern;
    o.LookIn = c.look;
    o.MatchCase = std::strchr(c.flags, 'c');
    o.WholeValue = std::strchr(c.flags, 'w');
    o.Regex = std::strchr(c.flags, 'r');
    return o;
}

bool StopAtOnce(void*, int64_t, int64_t) { return false; }

}  // namespace

// Each criterion finds what it names and nothing else; Replace All changes exactly those values, refuses whole,
// and one Undo takes it all back.
TEST(FindReplace, EachCriterionFindsAndReplacesItsValues) {
    const Case cases[] = {
        {LookTexts, "biome", "", "zone", "2 9", "2:'lava_zone' 9:'zone'"},
        {LookTexts | LookNames, "BIOME", "c", "x", "", ""},
        {LookNames, "biome", "w", "Zone", "1", "1:'Zone'"},
        {LookTexts, "(\\w+)_(\\w+)", "r", "$2_$1", "2", "2:'biome_lava'"},
        {LookTexts, "lava.*", "rw", "x$0", "2 7", "2:'xlava_biome' 7:'xLava Lake\\0tail'"},
        {LookTexts, "lake", "w", "x", "", ""},
        {LookTexts, "Lava Lake", "cw", "Pool", "7", "7:'Pool\\0tail'"},
        {LookNumbers, "42", "", "7", "3 4 5", "3:07 00 00 00 4:00 00 E0 40 5:03 00 07 00 00 00"},
        {LookIntegers | LookFloats, "40..50", "", "-1", "3 4", "3:FF FF FF FF 4:00 00 80 BF"},
        {LookUnknownScalars, "-1", "", "0x10", "8", "8:10 00 00 00"},
        {LookUnknownScalars, "4294967295", "", "4294967295", "8", ""},
        {LookEverything, "lava", "", "x", "2 7", "2:'x_biome' 7:'x Lake\\0tail'"},  // a text finds no number
        {LookEverything, "42", "", "abc", "3 4 5",
         "Nothing was replaced: the chunk at Biome/2 refuses it: \"abc\" is not a whole number from -2147483648 to "
         "2147483647."},
        {LookFloats, "42", "", "x", "4",
         "Nothing was replaced: the chunk at Biome/3 refuses it: \"x\" is not a Float."},
        {LookNumbers, "lava", "", "x", "",
         "Numbers are found by value: type a number such as 42 or a range such as 10..20."},
    };
    for (const Case& c : cases) {
        TestDocument doc;
        doc.Load(Sample());
        const std::vector<std::string> before = doc.Rows();
        const std::vector<uint8_t> saved = doc.Saved();
        Finder* finder = MakeFinder(doc.get(), Options(c));
        if (!finder) {
            EXPECT_EQ(doc.messages.empty() ? "" : doc.messages[0].text, c.changed) << c.pattern;
            continue;
        }
        std::vector<int32_t> found;
        EXPECT_EQ(FindAllMatches(finder, doc.get(), &found, Progress()), WalkDone);
        EXPECT_EQ(Join(found), c.found) << c.pattern;
        int32_t replaced = -1;
        WalkResult result = ReplaceAllMatches(finder, doc.get(), c.with, &replaced, Progress());
        std::string changed;
        const std::vector<std::string> after = doc.Rows();
        for (size_t i = 0; i < after.size(); ++i)
            if (after[i] != before[i])
                changed += (changed.empty() ? "" : " ") + std::to_string(i) + after[i].substr(after[i].find(':'));
        for (size_t k; (k = changed.find('\0')) != std::string::npos;) changed.replace(k, 1, "\\0");
        if (result == WalkFailed) {
            EXPECT_EQ(changed, "") << c.pattern;
            changed = doc.messages.empty() ? "" : doc.messages[0].text;
        } else {
            EXPECT_EQ(replaced, static_cast<int32_t>(std::count(changed.begin(), changed.end(), ':'))) << c.pattern;
        }
        EXPECT_EQ(changed, c.changed) << c.pattern;
        int32_t show;
        if (replaced > 0) {
            EXPECT_EQ(UndoChange(doc.get(), &show), 0);
        }
        EXPECT_EQ(doc.Saved(), saved) << c.pattern;
        EXPECT_FALSE(CanUndo(doc.get()));
        FreeFinder(finder);
    }
}

// Find Next and Previous wrap once round the range; a type or a subtree narrows it; a stopped Replace All changes
// nothing.
TEST(FindReplace, RangesWrapAndStops) {
    TestDocument doc;
    doc.Load(Sample());
    FindOptions o;
    o.Pattern = "biome";
    Finder* finder = MakeFinder(doc.get(), o);
    bool wrapped = false;
    std::string walk;
    for (auto step : {std::make_pair(-1, false), {2, false}, {9, false}, {2, true}, {9, true}}) {
        int32_t at = FindNextMatch(finder, doc.get(), step.first, step.second, &wrapped);
        walk += std::to_string(at) + (wrapped ? "w " : " ");
    }
    EXPECT_EQ(walk, "2 9 2w 9w 2 ");
    FreeFinder(finder);

    o.Pattern = "la";
    o.Type = 7;
    finder = MakeFinder(doc.get(), o);
    EXPECT_EQ(FindNextMatch(finder, doc.get(), -1, false, &wrapped), 7);
    int32_t inOne = -1;  // Replace in the selected chunk: that chunk, and only while it matches
    const WalkResult walked = ReplaceInChunk(finder, doc.get(), 7, "xy", &inOne);
    EXPECT_EQ(Joined(walked == WalkDone, inOne, ChunkMatches(finder, doc.get(), 7)), "1 1 0");
    FreeFinder(finder);
    o.Type = kAnyType;
    o.First = 0;
    o.End = 5;
    finder = MakeFinder(doc.get(), o);
    std::vector<int32_t> found;
    FindAllMatches(finder, doc.get(), &found, Progress());
    EXPECT_EQ(Join(found), "2");
    EXPECT_EQ(FindNextMatch(finder, doc.get(), 2, false, &wrapped), 2);  // round the subtree, not past its end
    FreeFinder(finder);

    DtbBuilder wide = DtbBuilder().Top(2).Node(16, 65535, 0);
    for (int i = 0; i < 65535; ++i) wide.Scalar(0, 5);
    doc.Load(wide.Node(16, 1, 1).Scalar(0, 5));
    o = FindOptions();
    o.Pattern = "5";
    o.LookIn = LookIntegers;
    finder = MakeFinder(doc.get(), o);
    int32_t replaced = -1;
    EXPECT_EQ(ReplaceAllMatches(finder, doc.get(), "6", &replaced, Progress{StopAtOnce, nullptr}), WalkStopped);
    EXPECT_EQ(replaced, 0);
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(FindAllMatches(finder, doc.get(), &found, Progress{StopAtOnce, nullptr}), WalkStopped);
    FreeFinder(finder);
}

// A Float is found by the float nearest to the typed decimal, rounded once from its digits, so that the digits it is
// shown with find it. A number matches that float alone (never a stored -0, nothing when it rounds to an infinity), a
// range every float between its ends' floats by value, the ends held within the finite floats. Replace writes the
// same float.
TEST(FindReplace, FloatsAreFoundByTheirNearestFloat) {
    // 40.3, 0.1, 1, the float after 1, -0, +0, +inf, NaN, 50, the largest float
    const uint32_t stored[] = {0x42213333, 0x3DCCCCCD, 0x3F800000, 0x3F800001, 0x80000000,
                               0x00000000, 0x7F800000, 0x7FC00000, 0x42480000, 0x7F7FFFFF};
    DtbBuilder b = DtbBuilder().Top(10);
    for (uint32_t bits : stored) b.Scalar(1, bits);
    TestDocument doc;
    doc.Load(b);
    const struct {
        const char* pattern;
        const char* found;
    } cases[] = {
        {"40.3", "0"},
        {"40.299999", "0"},
        {" +40.3 ", "0"},
        {"0.1", "1"},
        {"1.000000059604644775390625", "2"},   // halfway from 1 to the next float: to the even one
        {"1.0000000596046447753906251", "3"},  // a hair above: through a double it would round to 1
        {"0x1.00000100000000001p0", "3"},      // the same in hex
        {"0", "5"},
        {"-0", "5"},
        {"1e-50", "5"},
        {"1e39", ""},
        {"inf", ""},
        {"0..1e39", "0 1 2 3 4 5 8 9"},
        {"40.3..50", "0 8"},
        {"50..40.299999", "0 8"},
        {"1.0000000596046447753906251..2", "3"},
        {"-inf..inf", "0 1 2 3 4 5 8 9"},
        {"1e39..1e40", "9"},
    };
    for (const auto& c : cases) {
        for (bool whole : {false, true}) {
            FindOptions o;
            o.Pattern = c.pattern;
            o.LookIn = LookFloats;
            o.WholeValue = whole;
            Finder* finder = MakeFinder(doc.get(), o);
            ASSERT_NE(finder, nullptr) << c.pattern;
            std::vector<int32_t> found;
            EXPECT_EQ(FindAllMatches(finder, doc.get(), &found, Progress()), WalkDone);
            EXPECT_EQ(Join(found), c.found) << c.pattern << (whole ? " (whole value)" : "");
            FreeFinder(finder);
        }
    }
    EXPECT_EQ(doc.log(), "");

    for (auto with : {std::make_pair("40.299999", "1:33 33 21 42"),
                      {"1.0000000596046447753906251", "1:01 00 80 3F"},
                      {"1.000000059604644775390625", "1:00 00 80 3F"}}) {
        doc.Load(b);
        FindOptions o;
        o.Pattern = "50";
        o.LookIn = LookFloats;
        Finder* finder = MakeFinder(doc.get(), o);
        int32_t replaced = 0;
        EXPECT_EQ(ReplaceAllMatches(finder, doc.get(), with.first, &replaced, Progress()), WalkDone);
        EXPECT_EQ(doc.Rows()[8], with.second) << with.first;
        FreeFinder(finder);
    }
}

// A pattern that does not compile is an error that says where and why in our words; one that gives up on a long
// text stops the walk with an error naming the text's length, and a Replace All that meets it changes nothing.
TEST(FindReplace, PatternErrorsAreToldPlainly) {
    TestDocument doc;
    doc.Load(DtbBuilder().Top(3).Text(2, "xy").Text(2, std::string(100, 'x')).Text(2, std::string(100000, 'a')));
    const std::vector<uint8_t> saved = doc.Saved();
    const struct {
        const char* pattern;
        const char* log;  // every message, "kind:text" (0: an error)
    } cases[] = {
        {"a(b", "0:The pattern is not valid at position 3: a '(' has no ')' to close it.\n"},
        {"ab)c", "0:The pattern is not valid at position 2: this ')' closes no '('.\n"},
        {")", "0:The pattern is not valid at position 0: this ')' closes no '('.\n"},
        {"+x",
         "0:The pattern is not valid at position 0: a repeat (*, +, ? or {n,m}) has nothing before it to repeat.\n"},
        {"(a)\\2", "0:The pattern is not valid at position 5: a back-reference names a group that does not exist.\n"},
        {"(x+x+)+y",  // gives up on the 100 x's, having found "xy"
         "0:The pattern is too complex to run on a text of 100 bytes: simplify it (e.g. avoid nested repeats).\n"},
        {"(a|b)*c",  // gives up for want of room on the long text, a different limit
         "0:The pattern is too complex to run on a text of 100000 bytes: simplify it (e.g. avoid nested repeats).\n"},
    };
    for (const auto& c : cases) {
        doc.messages.clear();
        FindOptions o;
        o.Pattern = c.pattern;
        o.Regex = true;
        Finder* finder = MakeFinder(doc.get(), o);
        if (finder) {
            std::vector<int32_t> found;
            EXPECT_EQ(FindAllMatches(finder, doc.get(), &found, Progress()), WalkFailed) << c.pattern;
            doc.messages.clear();
            int32_t replaced = -1;
            EXPECT_EQ(ReplaceAllMatches(finder, doc.get(), "z", &replaced, Progress()), WalkFailed) << c.pattern;
            EXPECT_EQ(Joined(replaced, doc->Modified, CanUndo(doc.get())), "0 0 0") << c.pattern;
            EXPECT_EQ(doc.Saved(), saved) << c.pattern;
        }
        EXPECT_EQ(doc.log(), c.log) << c.pattern;
        FreeFinder(finder);
    }
}

// Replace All and Undo give back the document byte for byte, and Redo the replaced one, on random trees.
TEST(FindReplace, UndoAndRedoAreExactOnRandomTrees) {
    std::mt19937 rng(11);
    for (int round = 0; round < 30; ++round) {
        TestDocument doc;
        ASSERT_EQ(doc.Load(RandomTree(rng, 200, 12)), 0);
        const std::vector<uint8_t> original = doc.Saved();
        FindOptions o;
        o.Pattern = round % 2 ? "a" : "[a-f]+";
        o.Regex = round % 2 == 0;
        o.LookIn = LookTexts | LookNames;
        Finder* finder = MakeFinder(doc.get(), o);
        int32_t replaced = 0, show;
        ASSERT_EQ(ReplaceAllMatches(finder, doc.get(), "long$0", &replaced, Progress()), WalkDone);
        const std::vector<uint8_t> changed = doc.Saved();
        if (replaced > 0) {
            ASSERT_EQ(UndoChange(doc.get(), &show), 0);
            EXPECT_EQ(doc.Saved(), original);
            ASSERT_EQ(RedoChange(doc.get(), &show), 0);
        }
        EXPECT_EQ(doc.Saved(), changed);
        EXPECT_EQ(replaced == 0, changed == original);
        FreeFinder(finder);
    }
}

// The search box is a preset of the same finder: texts of types 2, 5, 18 and 32-35 (never 7), identifiers only when
// they are shown, letter case folded by the code page, from the selection on (or back) without going round.
TEST(FindReplace, TheSearchBoxFindsForwardOrBackWithoutGoingRound) {
    TestDocument doc;
    std::string far(5000, 'a');
    far.replace(4000, 5, "N\311EDL");  // far past any view's buffer; \311 is 0xC9
    // 0 node, 1 its identifier, 2 xabcx, 3 integer, 4 type 7, 5 abc again, ...
    DtbBuilder b;
    b.Top(4).Node(16, 1, 0).Text(5, "ABCnode").Text(33, "xabcx").Scalar(0, 1).Text(7, "abc").Text(2, "--aBc");
    doc.Load(b.Text(32, far).Text(32, std::string("ab\0needle", 9)).Text(18, "caf\xC9"));
    // Start is the chunk after the selection (from 3, never 7); \351 is 0xE9.
    const struct {
        int32_t start;
        const char* text;
        bool identifiers;
        int32_t found;
    } cases[] = {{0, "ABC", true, 1},      {2, "ABC", true, 2},     {3, "ABC", true, 5},       {-5, "node", true, 1},
                 {0, "node", false, -1},   {0, "ABCnode", true, 1}, {0, "ABCnodeX", true, -1}, {0, "1", true, -1},
                 {0, "n\351edl", true, 6}, {7, "needle", true, -1}, {0, "CAF\xE9", true, 8}};
    CaseFold fold;  // the code page's own, as the editor asks the platform: A-Z, and one letter beyond ASCII
    for (int c = 0; c < 256; ++c) fold.lower[c] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    fold.lower[0xC9] = 0xE9;
    for (const auto& c : cases)
        EXPECT_EQ(FindNextChunk(doc.get(), c.start, c.text, c.identifiers, &fold), c.found) << c.text;
    // Backwards, from the chunk before the selection down to the first (from the last without one).
    std::string back;
    for (int32_t start : {8, 4, 1, 0, 99})
        back += std::to_string(FindNextChunk(doc.get(), start, "ABC", true, &fold, true)) + " ";
    EXPECT_EQ(back, "5 2 1 -1 5 ");
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "", true, &fold), -1);  // silently
    doc->ChunkCount = 8;  // the record behind the table is gone, whatever its memory still holds
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "CAF", true, &fold), -1);
    const std::string none = "3:Could not find string.\n";
    EXPECT_EQ(doc.log(), none + none + none + none + none + none);
}
