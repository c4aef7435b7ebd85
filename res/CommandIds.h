// Command and control ids. They are the program's public vocabulary: menus,
// accelerators, panel controls and their prompts all key on them.
//
// wxWidgets takes window and menu ids below 32767 only. The program's own
// commands (32771 ...) live 16384 lower and the standard ones (57601 open,
// 57603 save, ...) 32768 lower inside the program; PublicId() gives back the
// number of the table.
#pragma once

constexpr int InternalId(int id) { return id >= 0xE000 ? id - 0x8000 : id >= 0x8000 ? id - 0x4000 : id; }
constexpr int PublicId(int id) { return id >= 0x6000 ? id + 0x8000 : id >= 0x4000 ? id + 0x4000 : id; }

enum CommandId : int {
    ID_MAKE_SKETCH = InternalId(32771),
    ID_TOGGLE_DISPLAY = InternalId(32772),
    ID_VIEWER = InternalId(32773),
    ID_INDICATOR_ZOOM = InternalId(32774),
    ID_INDICATOR_SIZE = InternalId(32775),
    ID_OPTIONS = InternalId(32778),
    ID_DLGBAR_LEFT_RIGHT = InternalId(32779),
    ID_FILE_OPEN = InternalId(57601),
    ID_FILE_SAVE = InternalId(57603),
    ID_FILE_PRINT = InternalId(57607),
    ID_FILE_PRINT_PREVIEW = InternalId(57609),
    ID_FILE_MRU_FIRST = InternalId(57616),
    ID_FILE_MRU_LAST = InternalId(57623),
    ID_EDIT_COPY = InternalId(57634),
    ID_EDIT_PASTE = InternalId(57637),
    ID_APP_ABOUT = InternalId(57664),
    ID_APP_EXIT = InternalId(57665),
    ID_HELP = InternalId(57666),

    IDC_LINE_STRONG = 1005,
    IDC_VIEW_RATE = 1008,
    IDC_LINE_REMOVE = 1009,
    IDC_DENOISE = 1010,
    IDC_GROUP_OPTIONS = 1011,
    IDC_LABEL_STRONG = 1012,
    IDC_LABEL_REMOVE = 1013,
    IDC_LABEL_RATE = 1016,
    IDC_LINE_COLOR = 1024,
    IDC_FRAME_COLOR = 1025,
    IDC_GROUP_FINISH = 1030,
    IDC_LABEL_THICKEN = 1031,
    IDC_LINE_THICKEN = 1032,
    IDC_LABEL_SPECK = 1033,
    IDC_SPECK_REMOVE = 1034,
};
