// Texts the program shows in dialogs and pickers. The setting prompts and the
// About text are Shift-JIS (code page 932) bytes, written as octal escapes;
// the program converts them from code page 932 before showing them, so they
// read right whatever the system's own code page is.
#pragma once

constexpr unsigned SHIFT_JIS_CODE_PAGE = 932;
constexpr unsigned TEXT_SLOT_SIZE = 64;
constexpr unsigned CAPTION_COUNT = 10;

// One per setting, two lines each.
constexpr char settingPrompts[4][TEXT_SLOT_SIZE]{
    // 測定インターバルを指定して下さい。 / 80 ～ 1000 ms の間です。
    "\221\252\222\350\203C\203\223\203^\201[\203o\203\213\202\360\216w\222\350\202\265\202\304\211\272\202\263\202\242\201B\015\01280 \201` 1000 ms \202\314\212\324\202\305\202\267\201B",
    // グラフプロット数を指定して下さい。 / 8 ～ 96 点 の間です。
    "\203O\203\211\203t\203v\203\215\203b\203g\220\224\202\360\216w\222\350\202\265\202\304\211\272\202\263\202\242\201B\015\0128 \201` 96 \223_ \202\314\212\324\202\305\202\267\201B",
    // フォント高さを ピクセルで入れて下さい。 / 7 ～ 33 px の間です。
    "\203t\203H\203\223\203g\215\202\202\263\202\360 \203s\203N\203Z\203\213\202\305\223\374\202\352\202\304\211\272\202\263\202\242\201B\015\0127 \201` 33 px \202\314\212\324\202\305\202\267\201B",
    // フォームj明瞭度を入れて下さい。 / 10 ～ 100 % の間です。
    "\203t\203H\201[\203\200j\226\276\227\304\223x\202\360\223\374\202\352\202\304\211\272\202\263\202\242\201B\015\01210 \201` 100 % \202\314\212\324\202\305\202\267\201B",
};

// LAN Speed をグラフ表示します。 / 2025/08/30 Murvantile
constexpr char aboutText[TEXT_SLOT_SIZE] = "LAN Speed \202\360\203O\203\211\203t\225\134\216\246\202\265\202\334\202\267\201B\015\0122025/08/30 Murvantile";

// Captions of the pickers, by the index UM_DRESS_POPUP carries: the font
// picker, then the colour picker of each colour.
constexpr char popupCaptions[CAPTION_COUNT][16]{"Select Font",    "Back Color",      "Recieved Graph",
                                                "Send Graph",     "Average Line",    "Scale Guide",
                                                "Total Recieved", "Total Sent Val.", "Maximam Value",
                                                "Average Value"};

// The boxes about the settings file: the file's path, the system's reason
// where there is one, then what to do.
constexpr char unwritableCaption[] = "Velnorid: settings not saved";
#define SETTINGS_PATH_EXAMPLE "\n\nVelnorid.exe /C:\\path\\file.qnf"
constexpr char unwritableMessage[] =
    "Velnorid cannot write its settings file\n\n%s\n\n%s\n\n"
    "Settings and totals will be lost when it ends. Move it to a folder you can write to, "
    "not Program Files, or name a file you can write on its command line:" SETTINGS_PATH_EXAMPLE;
constexpr char unreadMessage[] =
    "Velnorid could not read its settings file\n\n%s\n\n%s\n\n"
    "This run uses the default settings and leaves the file as it is. Close Velnorid and start it "
    "again once the file can be reached, or name another file on its command line:" SETTINGS_PATH_EXAMPLE;
constexpr char notOursMessage[] =
    "Velnorid was given a file that is not a settings file of its own\n\n%s\n\n"
    "It was left as it is, and this run uses the default settings. A settings file is named after "
    "a slash with its drive or \\\\server; a name not yet there makes a new file:" SETTINGS_PATH_EXAMPLE;
constexpr char appearedMessage[] =
    "Velnorid found a settings file it did not read\n\n%s\n\n"
    "There was none when it started: it appeared while Velnorid ran (restored by a sync client, or "
    "saved by another Velnorid window). This run leaves the file as it is, so its settings and totals "
    "are not saved. Close Velnorid and start it again to use that file, or name another file on its "
    "command line:" SETTINGS_PATH_EXAMPLE;
#undef SETTINGS_PATH_EXAMPLE
