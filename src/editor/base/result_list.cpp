#include "result_list.h"

#include <algorithm>

#include "display_text.h"

void AddResultColumns(HWND dialog, HWND list, int widthUnits, const char* const* names, const int* percents,
                      int count) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT box = {0, 0, widthUnits, 0};
    MapDialogRect(dialog, &box);
    for (int c = 0; c < count; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(names[c]);
        column.cx = box.right * percents[c] / 100;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
}

void FitResultColumns(HWND list, int columns, int32_t lines, void (*fill)(const void* owner, LVITEMA* item),
                      const void* owner) {
    // A million lines are not all measured: the first ones tell the widths.
    const int32_t kMeasured = 1000;
    const int kPadding = 16;  // the list's margins either side of a cell's text
    RECT client;
    GetClientRect(list, &client);
    const int bound = client.right * 2 / 5;
    char text[kTextSize];
    for (int c = 0; c < columns; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        text[0] = '\0';
        SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
        const int title = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
        int widest = title;
        for (int32_t k = 0; k < lines && k < kMeasured; ++k) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = k;
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            text[0] = '\0';
            fill(owner, &item);
            widest = std::max(
                widest, static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text))));
        }
        int width = std::max(std::min(widest, bound), title) + kPadding;
        SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), MAKELPARAM(width, 0));
    }
}

int32_t ResultListNotice(const NMHDR* header, void (*fill)(const void* owner, LVITEMA* item), const void* owner) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA* item = &reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
        if (!(item->mask & LVIF_TEXT) || item->cchTextMax <= 0) return -1;
        item->pszText[0] = '\0';
        fill(owner, item);
        return -1;
    }
    case NM_DBLCLK:  // some lists tell a double-click only this way, others also as an activation
    case LVN_ITEMACTIVATE:
        return reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    default:
        return -1;
    }
}

int32_t SelectedResultLine(HWND list) {
    return static_cast<int32_t>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}
