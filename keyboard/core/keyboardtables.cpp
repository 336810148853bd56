// The keyboard vocabulary the console offers: XKB model, layout, option and
// variant names with the texts shown for them. Generated from the reference
// lists; the row numbers are sent to the devices, so rows keep their places.
#include "keyboardtables.h"

#include <iterator>

namespace KeyboardTables {

namespace {

// Keyboard models, by row.
const KeyboardPair modelPairs[] = {
    {"pc101", "Generic 101-key PC"},
    {"pc102", "Generic 102-key (Intl) PC"},
    {"pc104", "Generic 104-key PC"},
    {"pc105", "Generic 105-key (Intl) PC"},
    {"dell101", "Dell 101-key PC"},
    {"latitude", "Dell Latitude series laptop"},
    {"dellm65", "Dell Precision M65"},
    {"everex", "Everex STEPnote"},
    {"flexpro", "Keytronic FlexPro"},
    {"microsoft", "Microsoft Natural"},
    {"omnikey101", "Northgate OmniKey 101"},
    {"winbook", "Winbook Model XP5"},
    {"pc98", "PC-98xx Series"},
    {"a4techKB21", "A4Tech KB-21"},
    {"a4techKBS8", "A4Tech KBS-8"},
    {"a4_rfkb23", "A4Tech Wireless Desktop RFKB-23"},
    {"airkey", "Acer AirKey V"},
    {"azonaRF2300", "Azona RF2300 wireless Internet Keyboard"},
    {"scorpius", "Advance Scorpius KI"},
    {"brother", "Brother Internet Keyboard"},
    {"btc5113rf", "BTC 5113RF Multimedia"},
    {"btc5126t", "BTC 5126T"},
    {"btc6301urf", "BTC 6301URF"},
    {"btc9000", "BTC 9000"},
    {"btc9000a", "BTC 9000A"},
    {"btc9001ah", "BTC 9001AH"},
    {"btc5090", "BTC 5090"},
    {"btc9019u", "BTC 9019U"},
    {"btc9116u", "BTC 9116U Mini Wireless Internet and Gaming"},
    {"cherryblue", "Cherry Blue Line CyBo@rd"},
    {"cherryblueb", "Cherry CyMotion Master XPress"},
    {"cherrybluea", "Cherry Blue Line CyBo@rd (alternate option)"},
    {"cherrycyboard", "Cherry CyBo@rd USB-Hub"},
    {"cherrycmexpert", "Cherry CyMotion Expert"},
    {"cherrybunlim", "Cherry B.UNLIMITED"},
    {"chicony", "Chicony Internet Keyboard"},
    {"chicony0108", "Chicony KU-0108"},
    {"chicony0420", "Chicony KU-0420"},
    {"chicony9885", "Chicony KB-9885"},
    {"compaqeak8", "Compaq Easy Access Keyboard"},
    {"compaqik7", "Compaq Internet Keyboard (7 keys)"},
    {"compaqik13", "Compaq Internet Keyboard (13 keys)"},
    {"compaqik18", "Compaq Internet Keyboard (18 keys)"},
    {"cymotionlinux", "Cherry CyMotion Master Linux"},
    {"armada", "Laptop/notebook Compaq (eg. Armada) Laptop Keyboard"},
    {"presario", "Laptop/notebook Compaq (eg. Presario) Internet Keyboard"},
    {"ipaq", "Compaq iPaq Keyboard"},
    {"dell", "Dell"},
    {"dellsk8125", "Dell SK-8125"},
    {"dellsk8135", "Dell SK-8135"},
    {"dellusbmm", "Dell USB Multimedia Keyboard"},
    {"inspiron", "Dell Laptop/notebook Inspiron 6xxx/8xxx"},
    {"precision_m", "Dell Laptop/notebook Precision M series"},
    {"dexxa", "Dexxa Wireless Desktop Keyboard"},
    {"diamond", "Diamond 9801 / 9802 series"},
    {"dtk2000", "DTK2000"},
    {"ennyah_dkb1008", "Ennyah DKB-1008"},
    {"fscaa1667g", "Fujitsu-Siemens Computers AMILO laptop"},
    {"genius", "Genius Comfy KB-16M / Genius MM Keyboard KWD-910"},
    {"geniuscomfy", "Genius Comfy KB-12e"},
    {"geniuscomfy2", "Genius Comfy KB-21e-Scroll"},
    {"geniuskb19e", "Genius KB-19e NB"},
    {"geniuskkb2050hs", "Genius KKB-2050HS"},
    {"gyration", "Gyration"},
    {"htcdream", "HTC Dream"},
    {"kinesis", "Kinesis"},
    {"logitech_base", "Logitech Generic Keyboard"},
    {"logitech_g15", "Logitech G15 extra keys via G15daemon"},
    {"hpi6", "Hewlett-Packard Internet Keyboard"},
    {"hp250x", "Hewlett-Packard SK-250x Multimedia Keyboard"},
    {"hpxe3gc", "Hewlett-Packard Omnibook XE3 GC"},
    {"hpxe3gf", "Hewlett-Packard Omnibook XE3 GF"},
    {"hpxt1000", "Hewlett-Packard Omnibook XT1000"},
    {"hpdv5", "Hewlett-Packard Pavilion dv5"},
    {"hpzt11xx", "Hewlett-Packard Pavilion ZT11xx"},
    {"hp500fa", "Hewlett-Packard Omnibook 500 FA"},
    {"hp5xx", "Hewlett-Packard Omnibook 5xx"},
    {"hpnx9020", "Hewlett-Packard nx9020"},
    {"hp6000", "Hewlett-Packard Omnibook 6000/6100"},
    {"honeywell_euroboard", "Honeywell Euroboard"},
    {"hpmini110", "Hewlett-Packard Mini 110 Notebook"},
    {"rapidaccess", "IBM Rapid Access"},
    {"rapidaccess2", "IBM Rapid Access II"},
    {"thinkpad", "IBM ThinkPad 560Z/600/600E/A22E"},
    {"thinkpad60", "IBM ThinkPad R60/T60/R61/T61"},
    {"thinkpadz60", "IBM ThinkPad Z60m/Z60t/Z61m/Z61t"},
    {"ibm_spacesaver", "IBM Space Saver"},
    {"logiaccess", "Logitech Access Keyboard"},
    {"logiclx300", "Logitech Cordless Desktop LX-300"},
    {"logii350", "Logitech Internet 350 Keyboard"},
    {"logimel", "Logitech Media Elite Keyboard"},
    {"logicd", "Logitech Cordless Desktop"},
    {"logicd_it", "Logitech Cordless Desktop iTouch"},
    {"logicd_nav", "Logitech Cordless Desktop Navigator"},
    {"logicd_opt", "Logitech Cordless Desktop Optical"},
    {"logicda", "Logitech Cordless Desktop (alternate option)"},
    {"logicdpa2", "Logitech Cordless Desktop Pro (alternate option 2)"},
    {"logicfn", "Logitech Cordless Freedom/Desktop Navigator"},
    {"logicdn", "Logitech Cordless Desktop Navigator"},
    {"logiitc", "Logitech iTouch Cordless Keyboard (model Y-RB6)"},
    {"logiik", "Logitech Internet Keyboard"},
    {"itouch", "Logitech iTouch"},
    {"logicink", "Logitech Internet Navigator Keyboard"},
    {"logiex110", "Logitech Cordless Desktop EX110"},
    {"logiinkse", "Logitech iTouch Internet Navigator Keyboard SE"},
    {"logiinkseusb", "Logitech iTouch Internet Navigator Keyboard SE (USB)"},
    {"logiultrax", "Logitech Ultra-X Keyboard"},
    {"logiultraxc", "Logitech Ultra-X Cordless Media Desktop Keyboard"},
    {"logidinovo", "Logitech diNovo Keyboard"},
    {"logidinovoedge", "Logitech diNovo Edge Keyboard"},
    {"mx1998", "Memorex MX1998"},
    {"mx2500", "Memorex MX2500 EZ-Access Keyboard"},
    {"mx2750", "Memorex MX2750"},
    {"microsoft4000", "Microsoft Natural Wireless Ergonomic Keyboard 4000"},
    {"microsoft7000", "Microsoft Natural Wireless Ergonomic Keyboard 7000"},
    {"microsoftinet", "Microsoft Internet Keyboard"},
    {"microsoftpro", "Microsoft Natural Keyboard Pro / Microsoft Internet Keyboard Pro"},
    {"microsoftprousb", "Microsoft Natural Keyboard Pro USB / Microsoft Internet Keyboard Pro"},
    {"microsoftprooem", "Microsoft Natural Keyboard Pro OEM"},
    {"halvhk12", "Halvard HK-12 Internet Keyboard"},
    {"microsoftprose", "Microsoft Internet Keyboard Pro, Swedish"},
    {"microsoftoffice", "Microsoft Office Keyboard"},
    {"microsoftmult", "Microsoft Wireless Multimedia Keyboard 1.0A"},
    {"microsoftelite", "Microsoft Natural Keyboard Elite"},
    {"microsoftccurve2k", "Microsoft Comfort Curve Keyboard 2000"},
    {"oretec", "Ortek MCK-800 MM/Internet keyboard"},
    {"propeller", "Propeller Voyager (KTEZ-1000)"},
    {"qtronix", "QTronix Scorpius 98N+"},
    {"samsung4500", "Samsung SDM 4500P"},
    {"samsung4510", "Samsung SDM 4510P"},
    {"sanwaskbkg3", "Sanwa Supply SKB-KG3"},
    {"sk1300", "SK-1300"},
    {"sk2500", "SK-2500"},
    {"sk6200", "SK-6200"},
    {"sk7100", "SK-7100"},
    {"sp_inet", "Super Power Multimedia Keyboard"},
    {"sven", "SVEN Ergonomic 2500"},
    {"sven303", "SVEN Slim 303"},
    {"symplon", "Symplon PaceBook (tablet PC)"},
    {"toshiba_s3000", "Toshiba Satellite S3000"},
    {"trust", "Trust Wireless Keyboard Classic"},
    {"trustda", "Trust Direct Access Keyboard"},
    {"trust_slimline", "Trust Slimline"},
    {"tm2020", "TypeMatrix EZ-Reach 2020"},
    {"tm2030PS2", "TypeMatrix EZ-Reach 2030 PS2"},
    {"tm2030USB", "TypeMatrix EZ-Reach 2030 USB"},
    {"tm2030USB-102", "TypeMatrix EZ-Reach 2030 USB (102/105:EU mode)"},
    {"tm2030USB-106", "TypeMatrix EZ-Reach 2030 USB (106:JP mode)"},
    {"yahoo", "Yahoo! Internet Keyboard"},
    {"macbook78", "MacBook/MacBook Pro"},
    {"macbook79", "MacBook/MacBook Pro (Intl)"},
    {"macintosh", "Macintosh"},
    {"macintosh_old", "Macintosh Old"},
    {"macintosh_hhk", "Happy Hacking Keyboard for Mac"},
    {"acer_c300", "Acer C300"},
    {"acer_ferrari4k", "Acer Ferrari 4000"},
    {"acer_laptop", "Acer Laptop"},
    {"asus_laptop", "Asus Laptop"},
    {"apple", "Apple"},
    {"apple_laptop", "Apple Laptop"},
    {"applealu_ansi", "Apple Aluminium Keyboard (ANSI)"},
    {"applealu_iso", "Apple Aluminium Keyboard (ISO)"},
    {"applealu_jis", "Apple Aluminium Keyboard (JIS)"},
    {"silvercrest", "SILVERCREST Multimedia Wireless Keyboard"},
    {"emachines", "Laptop/notebook eMachines m68xx"},
    {"benqx", "BenQ X-Touch"},
    {"benqx730", "BenQ X-Touch 730"},
    {"benqx800", "BenQ X-Touch 800"},
    {"hhk", "Happy Hacking Keyboard"},
    {"classmate", "Classmate PC"},
    {"olpc", "OLPC"},
    {"sun6", "Sun Type 5/6"},
    {"targa_v811", "Targa Visionary 811"},
    {"unitekkb1925", "Unitek KB-1925"},
    {"compalfl90", "FL90"},
    {"creativedw7000", "Creative Desktop Wireless 7000"},
    {"htcdream", "Htc Dream phone"},
};

// Layouts, sorted by description.
const KeyboardPair layoutPairs[] = {
    {"af", "Afghani"},
    {"al", "Albanian"},
    {"et", "Amharic"},
    {"ara", "Arabic"},
    {"ma", "Arabic (Morocco)"},
    {"sy", "Arabic (Syria)"},
    {"am", "Armenian"},
    {"az", "Azerbaijani"},
    {"ml", "Bambara"},
    {"by", "Belarusian"},
    {"be", "Belgian"},
    {"bd", "Bengali"},
    {"ba", "Bosnian"},
    {"brai", "Braille"},
    {"bg", "Bulgarian"},
    {"mm", "Burmese"},
    {"ad", "Catalan"},
    {"cn", "Chinese"},
    {"hr", "Croatian"},
    {"cz", "Czech"},
    {"dk", "Danish"},
    {"mv", "Dhivehi"},
    {"nl", "Dutch"},
    {"bt", "Dzongkha"},
    {"cm", "English (Cameroon)"},
    {"gh", "English (Ghana)"},
    {"ng", "English (Nigeria)"},
    {"za", "English (South Africa)"},
    {"gb", "English (UK)"},
    {"us", "English (US)"},
    {"epo", "Esperanto"},
    {"ee", "Estonian"},
    {"fo", "Faroese"},
    {"ph", "Filipino"},
    {"fi", "Finnish"},
    {"fr", "French"},
    {"ca", "French (Canada)"},
    {"cd", "French (Democratic Republic of the Congo)"},
    {"gn", "French (Guinea)"},
    {"ge", "Georgian"},
    {"de", "German"},
    {"at", "German (Austria)"},
    {"ch", "German (Switzerland)"},
    {"gr", "Greek"},
    {"il", "Hebrew"},
    {"hu", "Hungarian"},
    {"is", "Icelandic"},
    {"in", "Indian"},
    {"iq", "Iraqi"},
    {"ie", "Irish"},
    {"it", "Italian"},
    {"jp", "Japanese"},
    {"nec_vndr_jp", "Japanese (PC-98xx Series)"},
    {"kz", "Kazakh"},
    {"kh", "Khmer (Cambodia)"},
    {"kr", "Korean"},
    {"kg", "Kyrgyz"},
    {"la", "Lao"},
    {"lv", "Latvian"},
    {"lt", "Lithuanian"},
    {"mk", "Macedonian"},
    {"mt", "Maltese"},
    {"mao", "Maori"},
    {"mn", "Mongolian"},
    {"me", "Montenegrin"},
    {"np", "Nepali"},
    {"no", "Norwegian"},
    {"ir", "Persian"},
    {"pl", "Polish"},
    {"pt", "Portuguese"},
    {"br", "Portuguese (Brazil)"},
    {"ro", "Romanian"},
    {"ru", "Russian"},
    {"rs", "Serbian (Cyrillic)"},
    {"lk", "Sinhala (phonetic)"},
    {"sk", "Slovak"},
    {"si", "Slovenian"},
    {"es", "Spanish"},
    {"latam", "Spanish (Latin American)"},
    {"ke", "Swahili (Kenya)"},
    {"tz", "Swahili (Tanzania)"},
    {"se", "Swedish"},
    {"tw", "Taiwanese"},
    {"tj", "Tajik"},
    {"th", "Thai"},
    {"bw", "Tswana"},
    {"tr", "Turkish"},
    {"tm", "Turkmen"},
    {"ua", "Ukrainian"},
    {"pk", "Urdu (Pakistan)"},
    {"uz", "Uzbek"},
    {"vn", "Vietnamese"},
    {"sn", "Wolof"},
};

// Options; a row whose code has no colon heads the group that follows it.
const KeyboardPair optionPairs[] = {
    {"none", "None"},
    {"grp", "Key(s) to change layout"},
    {"grp:switch", "Right Alt (while pressed)"},
    {"grp:lswitch", "Left Alt (while pressed)"},
    {"grp:lwin_switch", "Left Win (while pressed)"},
    {"grp:rwin_switch", "Right Win (while pressed)"},
    {"grp:win_switch", "Any Win key (while pressed)"},
    {"grp:caps_switch", "Caps Lock (while pressed), Alt+Caps Lock does the original capslock action"},
    {"grp:rctrl_switch", "Right Ctrl (while pressed)"},
    {"grp:toggle", "Right Alt"},
    {"grp:lalt_toggle", "Left Alt"},
    {"grp:caps_toggle", "Caps Lock"},
    {"grp:shift_caps_toggle", "Shift+Caps Lock"},
    {"grp:shift_caps_switch", "Caps Lock (to first layout), Shift+Caps Lock (to last layout)"},
    {"grp:win_menu_switch", "Left Win (to first layout), Right Win/Menu (to last layout)"},
    {"grp:lctrl_rctrl_switch", "Left Ctrl (to first layout), Right Ctrl (to last layout)"},
    {"grp:alt_caps_toggle", "Alt+Caps Lock"},
    {"grp:shifts_toggle", "Both Shift keys together"},
    {"grp:alts_toggle", "Both Alt keys together"},
    {"grp:ctrls_toggle", "Both Ctrl keys together"},
    {"grp:ctrl_shift_toggle", "Ctrl+Shift"},
    {"grp:lctrl_lshift_toggle", "Left Ctrl+Left Shift"},
    {"grp:rctrl_rshift_toggle", "Right Ctrl+Right Shift"},
    {"grp:ctrl_alt_toggle", "Alt+Ctrl"},
    {"grp:alt_shift_toggle", "Alt+Shift"},
    {"grp:lalt_lshift_toggle", "Left Alt+Left Shift"},
    {"grp:alt_space_toggle", "Alt+Space"},
    {"grp:menu_toggle", "Menu"},
    {"grp:lwin_toggle", "Left Win"},
    {"grp:rwin_toggle", "Right Win"},
    {"grp:lshift_toggle", "Left Shift"},
    {"grp:rshift_toggle", "Right Shift"},
    {"grp:lctrl_toggle", "Left Ctrl"},
    {"grp:rctrl_toggle", "Right Ctrl"},
    {"grp:sclk_toggle", "Scroll Lock"},
    {"grp:lctrl_lwin_rctrl_menu", "LeftCtrl+LeftWin (to first layout), RightCtrl+Menu (to second layout)"},
    {"lv3", "Key to choose 3rd level"},
    {"lv3:switch", "Right Ctrl"},
    {"lv3:menu_switch", "Menu"},
    {"lv3:win_switch", "Any Win key"},
    {"lv3:lwin_switch", "Left Win"},
    {"lv3:rwin_switch", "Right Win"},
    {"lv3:alt_switch", "Any Alt key"},
    {"lv3:lalt_switch", "Left Alt"},
    {"lv3:ralt_switch", "Right Alt"},
    {"lv3:ralt_switch_multikey", "Right Alt, Shift+Right Alt key is Multi_Key"},
    {"lv3:ralt_alt", "Right Alt key never chooses 3rd level"},
    {"lv3:enter_switch", "Enter on keypad"},
    {"lv3:caps_switch", "Caps Lock"},
    {"lv3:bksl_switch", "Backslash"},
    {"lv3:lsgt_switch", "<Less/Greater>"},
    {"lv3:caps_switch_latch", "Caps Lock chooses 3rd level, acts as onetime lock when pressed together with another 3rd-level-chooser"},
    {"lv3:bksl_switch_latch", "Backslash chooses 3rd level, acts as onetime lock when pressed together with another 3rd-level-chooser"},
    {"lv3:lsgt_switch_latch", "<Less/Greater> chooses 3rd level, acts as onetime lock when pressed together with another 3rd-level-chooser"},
    {"ctrl", "Ctrl key position"},
    {"ctrl:nocaps", "Caps Lock as Ctrl"},
    {"ctrl:lctrl_meta", "Left Ctrl as Meta"},
    {"ctrl:swapcaps", "Swap Ctrl and Caps Lock"},
    {"ctrl:ac_ctrl", "At left of 'A'"},
    {"ctrl:aa_ctrl", "At bottom left"},
    {"ctrl:rctrl_ralt", "Right Ctrl as Right Alt"},
    {"ctrl:menu_rctrl", "Menu as Right Ctrl"},
    {"ctrl:ctrl_ralt", "Right Alt as Right Ctrl"},
    {"grp_led", "Use keyboard LED to show alternative layout"},
    {"grp_led:num", "Num Lock"},
    {"grp_led:caps", "Caps Lock"},
    {"grp_led:scroll", "Scroll Lock"},
    {"keypad", "Numeric keypad layout selection"},
    {"keypad:legacy", "Legacy"},
    {"keypad:oss", "Unicode additions (arrows and math operators)"},
    {"keypad:future", "Unicode additions (arrows and math operators). Math operators on default level"},
    {"keypad:legacy_wang", "Legacy Wang 724"},
    {"keypad:oss_wang", "Wang 724 keypad with Unicode additions (arrows and math operators)"},
    {"keypad:future_wang", "Wang 724 keypad with Unicode additions (arrows and math operators). Math operators on default level"},
    {"keypad:hex", "Hexadecimal"},
    {"keypad:atm", "ATM/phone-style"},
    {"kpdl", "Numeric keypad delete key behaviour"},
    {"kpdl:dot", "Legacy key with dot"},
    {"kpdl:comma", "Legacy key with comma"},
    {"kpdl:dotoss", "Four-level key with dot"},
    {"kpdl:dotoss_latin9", "Four-level key with dot, latin-9 restriction"},
    {"kpdl:commaoss", "Four-level key with comma"},
    {"kpdl:momayyezoss", "Four-level key with momayyez"},
    {"kpdl:kposs", "Four-level key with abstract separators"},
    {"kpdl:semi", "Semi-colon on third level"},
    {"caps", "Caps Lock key behavior"},
    {"caps:internal", "Caps Lock uses internal capitalization. Shift pauses Caps Lock"},
    {"caps:internal_nocancel", "Caps Lock uses internal capitalization. Shift doesn't affect Caps Lock"},
    {"caps:shift", "Caps Lock acts as Shift with locking. Shift pauses Caps Lock"},
    {"caps:shift_nocancel", "Caps Lock acts as Shift with locking. Shift doesn't affect Caps Lock"},
    {"caps:capslock", "Caps Lock toggles normal capitalization of alphabetic characters"},
    {"caps:numlock", "Make Caps Lock an additional Num Lock"},
    {"caps:swapescape", "Swap ESC and Caps Lock"},
    {"caps:escape", "Make Caps Lock an additional ESC"},
    {"caps:backspace", "Make Caps Lock an additional Backspace"},
    {"caps:super", "Make Caps Lock an additional Super"},
    {"caps:hyper", "Make Caps Lock an additional Hyper"},
    {"caps:shiftlock", "Caps Lock toggles Shift so all keys are affected"},
    {"caps:none", "Caps Lock is disabled"},
    {"caps:ctrl_modifier", "Make Caps Lock an additional Control but keep the Caps_Lock keysym"},
    {"altwin", "Alt/Win key behavior"},
    {"altwin:menu", "Add the standard behavior to Menu key"},
    {"altwin:meta_alt", "Alt and Meta are on Alt keys"},
    {"altwin:ctrl_win", "Control is mapped to Win keys (and the usual Ctrl keys)"},
    {"altwin:ctrl_alt_win", "Control is mapped to Alt keys, Alt is mapped to Win keys"},
    {"altwin:meta_win", "Meta is mapped to Win keys"},
    {"altwin:left_meta_win", "Meta is mapped to Left Win"},
    {"altwin:hyper_win", "Hyper is mapped to Win-keys"},
    {"altwin:alt_super_win", "Alt is mapped to Right Win, Super to Menu"},
    {"altwin:swap_lalt_lwin", "Left Alt is swapped with Left Win"},
    {"Compose key", "Compose key position"},
    {"compose:ralt", "Right Alt"},
    {"compose:lwin", "Left Win"},
    {"compose:rwin", "Right Win"},
    {"compose:menu", "Menu"},
    {"compose:lctrl", "Left Ctrl"},
    {"compose:rctrl", "Right Ctrl"},
    {"compose:caps", "Caps Lock"},
    {"compose:102", "<Less/Greater>"},
    {"compose:paus", "Pause"},
    {"compose:prsc", "PrtSc"},
    {"compose:sclk", "Scroll Lock"},
    {"compat", "Miscellaneous compatibility options"},
    {"numpad:pc", "Default numeric keypad keys"},
    {"numpad:mac", "Numeric keypad keys always enter digits (as in Mac OS)"},
    {"numpad:microsoft", "Shift with numeric keypad keys works as in MS Windows"},
    {"numpad:shift3", "Shift does not cancel Num Lock, chooses 3rd level instead"},
    {"srvrkeys:none", "Special keys (Ctrl+Alt+<key>) handled in a server"},
    {"apple:alupckeys", "Apple Aluminium Keyboard: emulate PC keys (Print, Scroll Lock, Pause, Num Lock)"},
    {"shift:breaks_caps", "Shift cancels Caps Lock"},
    {"misc:typo", "Enable extra typographic characters"},
    {"shift:both_capslock", "Both Shift-Keys together toggle Caps Lock"},
    {"shift:both_capslock_cancel", "Both Shift-Keys together activate Caps Lock, one Shift-Key deactivates"},
    {"shift:both_shiftlock", "Both Shift-Keys together toggle ShiftLock"},
    {"keypad:pointerkeys", "Toggle PointerKeys with Shift + NumLock."},
    {"grab:break_actions", "Allow breaking grabs with keyboard actions (warning: security risk)"},
    {"eurosign", "Adding currency signs to certain keys"},
    {"eurosign:e", "Euro on E"},
    {"eurosign:2", "Euro on 2"},
    {"eurosign:4", "Euro on 4"},
    {"eurosign:5", "Euro on 5"},
    {"rupeesign:4", "Rupee on 4"},
    {"lv5", "Key to choose 5th level"},
    {"lv5:lsgt_switch_lock", "<Less/Greater> chooses 5th level, locks when pressed together with another 5th-level-chooser"},
    {"lv5:ralt_switch_lock", "Right Alt chooses 5th level, locks when pressed together with another 5th-level-chooser"},
    {"lv5:lwin_switch_lock", "Left Win chooses 5th level, locks when pressed together with another 5th-level-chooser"},
    {"lv5:rwin_switch_lock", "Right Win chooses 5th level, locks when pressed together with another 5th-level-chooser"},
    {"nbsp", "Using space key to input non-breakable space character"},
    {"nbsp:none", "Usual space at any level"},
    {"nbsp:level2", "Non-breakable space character at second level"},
    {"nbsp:level3", "Non-breakable space character at third level"},
    {"nbsp:level3s", "Non-breakable space character at third level, nothing at fourth level"},
    {"nbsp:level3n", "Non-breakable space character at third level, thin non-breakable space character at fourth level"},
    {"nbsp:level4", "Non-breakable space character at fourth level"},
    {"nbsp:level4n", "Non-breakable space character at fourth level, thin non-breakable space character at sixth level"},
    {"nbsp:level4nl", "Non-breakable space character at fourth level, thin non-breakable space character at sixth level (via Ctrl+Shift)"},
    {"nbsp:zwnj2", "Zero-width non-joiner character at second level"},
    {"nbsp:zwnj2zwj3", "Zero-width non-joiner character at second level, zero-width joiner character at third level"},
    {"nbsp:zwnj2zwj3nb4", "Zero-width non-joiner character at second level, zero-width joiner character at third level, non-breakable space character at fourth level"},
    {"nbsp:zwnj2nb3", "Zero-width non-joiner character at second level, non-breakable space character at third level"},
    {"nbsp:zwnj2nb3s", "Zero-width non-joiner character at second level, non-breakable space character at third level, nothing at fourth level"},
    {"nbsp:zwnj2nb3zwj4", "Zero-width non-joiner character at second level, non-breakable space character at third level, zero-width joiner at fourth level"},
    {"nbsp:zwnj2nb3nnb4", "Zero-width non-joiner character at second level, non-breakable space character at third level, thin non-breakable space at fourth level"},
    {"nbsp:zwnj3zwj4", "Zero-width non-joiner character at third level, zero-width joiner at fourth level"},
    {"japan", "Japanese keyboard options"},
    {"japan:kana_lock", "Kana Lock key is locking"},
    {"japan:nicola_f_bs", "NICOLA-F style Backspace"},
    {"japan:hztg_escape", "Make Zenkaku Hankaku an additional ESC"},
    {"esperanto", "Adding Esperanto circumflexes (supersigno)"},
    {"esperanto:qwerty", "To the corresponding key in a Qwerty keyboard."},
    {"esperanto:dvorak", "To the corresponding key in a Dvorak keyboard."},
    {"terminate", "Key sequence to kill the X server"},
    {"terminate:ctrl_alt_bksp", "Control + Alt + Backspace"},
};

// The variants of every layout that has some, by layout row, each list
// beginning with its "none" row.
const KeyboardPair variantPairs[] = {
    // 0 af
    {"none", "None"},
    {"ps", "Pashto"},
    {"uz", "Uzbek (Afghanistan)"},
    {"olpc-ps", "Pashto (Afghanistan, OLPC)"},
    {"fa-olpc", "Persian (Afghanistan, Dari OLPC)"},
    {"uz-olpc", "Uzbek (Afghanistan, OLPC)"},
    // 3 ara
    {"none", "None"},
    {"azerty", "Arabic (azerty)"},
    {"azerty_digits", "Arabic (azerty/digits)"},
    {"digits", "Arabic (digits)"},
    {"qwerty", "Arabic (qwerty)"},
    {"qwerty_digits", "Arabic (qwerty/digits)"},
    {"buckwalter", "Arabic (Buckwalter)"},
    // 4 ma
    {"none", "None"},
    {"french", "French (Morocco)"},
    {"tifinagh", "Berber (Morocco, Tifinagh)"},
    {"tifinagh-alt", "Berber (Morocco, Tifinagh alternative)"},
    {"tifinagh-alt-phonetic", "Berber (Morocco, Tifinagh alternative phonetic)"},
    {"tifinagh-extended", "Berber (Morocco, Tifinagh extended)"},
    {"tifinagh-phonetic", "Berber (Morocco, Tifinagh phonetic)"},
    {"tifinagh-extended-phonetic", "Berber (Morocco, Tifinagh extended phonetic)"},
    // 5 sy
    {"none", "None"},
    {"syc", "Syriac"},
    {"syc_phonetic", "Syriac (phonetic)"},
    {"ku", "Kurdish (Syria, Latin Q)"},
    {"ku_f", "Kurdish (Syria, F)"},
    {"ku_alt", "Kurdish (Syria, Latin Alt-Q)"},
    // 6 am
    {"none", "None"},
    {"phonetic", "Armenian (phonetic)"},
    {"phonetic-alt", "Armenian (alternative phonetic)"},
    {"eastern", "Armenian (eastern)"},
    {"western", "Armenian (western)"},
    {"eastern-alt", "Armenian (alternative eastern)"},
    // 7 az
    {"none", "None"},
    {"cyrillic", "Azerbaijani (Cyrillic)"},
    // 8 ml
    {"none", "None"},
    {"fr-oss", "French (Mali, alternative)"},
    {"us-mac", "English (Mali, US Macintosh)"},
    {"us-intl", "English (Mali, US international)"},
    // 9 by
    {"none", "None"},
    {"legacy", "Belarusian (legacy)"},
    {"latin", "Belarusian (Latin)"},
    // 10 be
    {"none", "None"},
    {"oss", "Belgian (alternative)"},
    {"oss_latin9", "Belgian (alternative, latin-9 only)"},
    {"oss_sundeadkeys", "Belgian (alternative, Sun dead keys)"},
    {"iso-alternate", "Belgian (ISO alternate)"},
    {"nodeadkeys", "Belgian (eliminate dead keys)"},
    {"sundeadkeys", "Belgian (Sun dead keys)"},
    {"wang", "Belgian (Wang model 724 azerty)"},
    // 11 bd
    {"none", "None"},
    {"probhat", "Bengali (Probhat)"},
    // 12 ba
    {"none", "None"},
    {"alternatequotes", "Bosnian (use guillemets for quotes)"},
    {"unicode", "Bosnian (use Bosnian digraphs)"},
    {"unicodeus", "Bosnian (US keyboard with Bosnian digraphs)"},
    {"us", "Bosnian (US keyboard with Bosnian letters)"},
    // 13 brai
    {"none", "None"},
    {"left_hand", "Braille (left hand)"},
    {"right_hand", "Braille (right hand)"},
    // 14 bg
    {"none", "None"},
    {"phonetic", "Bulgarian (traditional phonetic)"},
    {"bas_phonetic", "Bulgarian (new phonetic)"},
    // 17 cn
    {"none", "None"},
    {"tib", "Tibetan"},
    {"tib_asciinum", "Tibetan (with ASCII numerals)"},
    {"uig", "Uyghur"},
    // 18 hr
    {"none", "None"},
    {"alternatequotes", "Croatian (use guillemets for quotes)"},
    {"unicode", "Croatian (use Croatian digraphs)"},
    {"unicodeus", "Croatian (US keyboard with Croatian digraphs)"},
    {"us", "Croatian (US keyboard with Croatian letters)"},
    // 19 cz
    {"none", "None"},
    {"bksl", "Czech (with <\\|> key)"},
    {"qwerty", "Czech (qwerty)"},
    {"qwerty_bksl", "Czech (qwerty, extended Backslash)"},
    {"ucw", "Czech (UCW layout, accented letters only)"},
    {"dvorak-ucw", "Czech (US Dvorak with CZ UCW support)"},
    // 20 dk
    {"none", "None"},
    {"nodeadkeys", "Danish (eliminate dead keys)"},
    {"mac", "Danish (Macintosh)"},
    {"mac_nodeadkeys", "Danish (Macintosh, eliminate dead keys)"},
    {"dvorak", "Danish (Dvorak)"},
    // 22 nl
    {"none", "None"},
    {"sundeadkeys", "Dutch (Sun dead keys)"},
    {"mac", "Dutch (Macintosh)"},
    {"std", "Dutch (standard)"},
    // 24 cm
    {"none", "None"},
    {"french", "French (Cameroon)"},
    {"qwerty", "Cameroon Multilingual (qwerty)"},
    {"azerty", "Cameroon Multilingual (azerty)"},
    {"dvorak", "Cameroon Multilingual (Dvorak)"},
    // 25 gh
    {"none", "None"},
    {"generic", "English (Ghana, multilingual)"},
    {"akan", "Akan"},
    {"ewe", "Ewe"},
    {"fula", "Fula"},
    {"ga", "Ga"},
    {"hausa", "Hausa"},
    {"avn", "Avatime"},
    {"gillbt", "English (Ghana, GILLBT)"},
    // 26 ng
    {"none", "None"},
    {"igbo", "Igbo"},
    {"yoruba", "Yoruba"},
    {"hausa", "Hausa"},
    // 28 gb
    {"none", "None"},
    {"extd", "English (UK, extended WinKeys)"},
    {"intl", "English (UK, international with dead keys)"},
    {"dvorak", "English (UK, Dvorak)"},
    {"dvorakukp", "English (UK, Dvorak with UK punctuation)"},
    {"mac", "English (UK, Macintosh)"},
    {"mac_intl", "English (UK, Macintosh international)"},
    {"colemak", "English (UK, Colemak)"},
    // 29 us
    {"none", "None"},
    {"chr", "Cherokee"},
    {"euro", "English (US, with euro on 5)"},
    {"intl", "English (US, international with dead keys)"},
    {"alt-intl", "English (US, alternative international)"},
    {"colemak", "English (Colemak)"},
    {"dvorak", "English (Dvorak)"},
    {"dvorak-intl", "English (Dvorak international with dead keys)"},
    {"dvorak-alt-intl", "English (Dvorak alternative international no dead keys)"},
    {"dvorak-l", "English (left handed Dvorak)"},
    {"dvorak-r", "English (right handed Dvorak)"},
    {"dvorak-classic", "English (classic Dvorak)"},
    {"dvp", "English (programmer Dvorak)"},
    {"rus", "Russian (US, phonetic)"},
    {"mac", "English (Macintosh)"},
    {"altgr-intl", "English (international AltGr dead keys)"},
    {"olpc2", "English (layout toggle on multiply/divide key)"},
    {"hbs", "Serbo-Croatian (US)"},
    // 30 epo
    {"none", "None"},
    {"legacy", "Esperanto (displaced semicolon and quote, obsolete)"},
    // 31 ee
    {"none", "None"},
    {"nodeadkeys", "Estonian (eliminate dead keys)"},
    {"dvorak", "Estonian (Dvorak)"},
    {"us", "Estonian (US keyboard with Estonian letters)"},
    // 32 fo
    {"none", "None"},
    {"nodeadkeys", "Faroese (eliminate dead keys)"},
    // 33 ph
    {"none", "None"},
    {"qwerty-bay", "Filipino (QWERTY Baybayin)"},
    {"capewell-dvorak", "Filipino (Capewell-Dvorak Latin)"},
    {"capewell-dvorak-bay", "Filipino (Capewell-Dvorak Baybayin)"},
    {"capewell-qwerf2k6", "Filipino (Capewell-QWERF 2006 Latin)"},
    {"capewell-qwerf2k6-bay", "Filipino (Capewell-QWERF 2006 Baybayin)"},
    {"colemak", "Filipino (Colemak Latin)"},
    {"colemak-bay", "Filipino (Colemak Baybayin)"},
    {"dvorak", "Filipino (Dvorak Latin)"},
    {"dvorak-bay", "Filipino (Dvorak Baybayin)"},
    // 34 fi
    {"none", "None"},
    {"classic", "Finnish (classic)"},
    {"nodeadkeys", "Finnish (classic, eliminate dead keys)"},
    {"smi", "Northern Saami (Finland)"},
    {"mac", "Finnish (Macintosh)"},
    // 35 fr
    {"none", "None"},
    {"nodeadkeys", "French (eliminate dead keys)"},
    {"sundeadkeys", "French (Sun dead keys)"},
    {"oss", "French (alternative)"},
    {"oss_latin9", "French (alternative, latin-9 only)"},
    {"oss_nodeadkeys", "French (alternative, eliminate dead keys)"},
    {"oss_sundeadkeys", "French (alternative, Sun dead keys)"},
    {"latin9", "French (legacy, alternative)"},
    {"latin9_nodeadkeys", "French (legacy, alternative, eliminate dead keys)"},
    {"latin9_sundeadkeys", "French (legacy, alternative, Sun dead keys)"},
    {"bepo", "French (Bepo, ergonomic, Dvorak way)"},
    {"bepo_latin9", "French (Bepo, ergonomic, Dvorak way, latin-9 only)"},
    {"dvorak", "French (Dvorak)"},
    {"mac", "French (Macintosh)"},
    {"bre", "French (Breton)"},
    {"oci", "Occitan"},
    {"geo", "Georgian (France, AZERTY Tskapo)"},
    // 36 ca
    {"none", "None"},
    {"fr-dvorak", "French (Canada, Dvorak)"},
    {"fr-legacy", "French (Canada, legacy)"},
    {"multix", "Canadian Multilingual"},
    {"multi", "Canadian Multilingual (first part)"},
    {"multi-2gr", "Canadian Multilingual (second part)"},
    {"ike", "Inuktitut"},
    {"eng", "English (Canada)"},
    // 39 ge
    {"none", "None"},
    {"ergonomic", "Georgian (ergonomic)"},
    {"mess", "Georgian (MESS)"},
    {"ru", "Russian (Georgia)"},
    {"os", "Ossetian (Georgia)"},
    // 40 de
    {"none", "None"},
    {"deadacute", "German (dead acute)"},
    {"deadgraveacute", "German (dead grave acute)"},
    {"nodeadkeys", "German (eliminate dead keys)"},
    {"ro", "Romanian (Germany)"},
    {"ro_nodeadkeys", "Romanian (Germany, eliminate dead keys)"},
    {"dvorak", "German (Dvorak)"},
    {"sundeadkeys", "German (Sun dead keys)"},
    {"neo", "German (Neo 2)"},
    {"mac", "German (Macintosh)"},
    {"mac_nodeadkeys", "German (Macintosh, eliminate dead keys)"},
    {"dsb", "Lower Sorbian"},
    {"dsb_qwertz", "Lower Sorbian (qwertz)"},
    {"ru", "Russian (Germany, phonetic)"},
    // 41 at
    {"none", "None"},
    {"nodeadkeys", "German (Austria, eliminate dead keys)"},
    {"sundeadkeys", "German (Austria, Sun dead keys)"},
    {"mac", "German (Austria, Macintosh)"},
    // 42 ch
    {"none", "None"},
    {"legacy", "German (Switzerland, legacy)"},
    {"de_nodeadkeys", "German (Switzerland, eliminate dead keys)"},
    {"de_sundeadkeys", "German (Switzerland, Sun dead keys)"},
    {"fr", "French (Switzerland)"},
    {"fr_nodeadkeys", "French (Switzerland, eliminate dead keys)"},
    {"fr_sundeadkeys", "French (Switzerland, Sun dead keys)"},
    {"fr_mac", "French (Switzerland, Macintosh)"},
    {"de_mac", "German (Switzerland, Macintosh)"},
    // 43 gr
    {"none", "None"},
    {"simple", "Greek (simple)"},
    {"extended", "Greek (extended)"},
    {"nodeadkeys", "Greek (eliminate dead keys)"},
    {"polytonic", "Greek (polytonic)"},
    // 44 il
    {"none", "None"},
    {"lyx", "Hebrew (lyx)"},
    {"phonetic", "Hebrew (phonetic)"},
    {"biblical", "Hebrew (Biblical, Tiro)"},
    // 45 hu
    {"none", "None"},
    {"standard", "Hungarian (standard)"},
    {"nodeadkeys", "Hungarian (eliminate dead keys)"},
    {"qwerty", "Hungarian (qwerty)"},
    {"101_qwertz_comma_dead", "Hungarian (101/qwertz/comma/dead keys)"},
    {"101_qwertz_comma_nodead", "Hungarian (101/qwertz/comma/eliminate dead keys)"},
    {"101_qwertz_dot_dead", "Hungarian (101/qwertz/dot/dead keys)"},
    {"101_qwertz_dot_nodead", "Hungarian (101/qwertz/dot/eliminate dead keys)"},
    {"101_qwerty_comma_dead", "Hungarian (101/qwerty/comma/dead keys)"},
    {"101_qwerty_comma_nodead", "Hungarian (101/qwerty/comma/eliminate dead keys)"},
    {"101_qwerty_dot_dead", "Hungarian (101/qwerty/dot/dead keys)"},
    {"101_qwerty_dot_nodead", "Hungarian (101/qwerty/dot/eliminate dead keys)"},
    {"102_qwertz_comma_dead", "Hungarian (102/qwertz/comma/dead keys)"},
    {"102_qwertz_comma_nodead", "Hungarian (102/qwertz/comma/eliminate dead keys)"},
    {"102_qwertz_dot_dead", "Hungarian (102/qwertz/dot/dead keys)"},
    {"102_qwertz_dot_nodead", "Hungarian (102/qwertz/dot/eliminate dead keys)"},
    {"102_qwerty_comma_dead", "Hungarian (102/qwerty/comma/dead keys)"},
    {"102_qwerty_comma_nodead", "Hungarian (102/qwerty/comma/eliminate dead keys)"},
    {"102_qwerty_dot_dead", "Hungarian (102/qwerty/dot/dead keys)"},
    {"102_qwerty_dot_nodead", "Hungarian (102/qwerty/dot/eliminate dead keys)"},
    // 46 is
    {"none", "None"},
    {"Sundeadkeys", "Icelandic (Sun dead keys)"},
    {"nodeadkeys", "Icelandic (eliminate dead keys)"},
    {"mac", "Icelandic (Macintosh)"},
    {"dvorak", "Icelandic (Dvorak)"},
    // 47 in
    {"none", "None"},
    {"ben", "Bengali (India)"},
    {"ben_probhat", "Bengali (India, Probhat)"},
    {"ben_baishakhi", "Bengali (India, Baishakhi)"},
    {"ben_bornona", "Bengali (India, Bornona)"},
    {"ben_gitanjali", "Bengali (India, Uni Gitanjali)"},
    {"ben_inscript", "Bengali (India, Baishakhi Inscript)"},
    {"guj", "Gujarati"},
    {"guru", "Punjabi (Gurmukhi)"},
    {"jhelum", "Punjabi (Gurmukhi Jhelum)"},
    {"kan", "Kannada"},
    {"mal", "Malayalam"},
    {"mal_lalitha", "Malayalam (Lalitha)"},
    {"mal_enhanced", "Malayalam (enhanced Inscript with Rupee Sign)"},
    {"ori", "Oriya"},
    {"tam_unicode", "Tamil (Unicode)"},
    {"tam_keyboard_with_numerals", "Tamil (keyboard with numerals)"},
    {"tam_TAB", "Tamil (TAB typewriter)"},
    {"tam_TSCII", "Tamil (TSCII typewriter)"},
    {"tam", "Tamil"},
    {"tel", "Telugu"},
    {"urd-phonetic", "Urdu (phonetic)"},
    {"urd-phonetic3", "Urdu (alternative phonetic)"},
    {"urd-winkeys", "Urdu (WinKeys)"},
    {"bolnagri", "Hindi (Bolnagri)"},
    {"hin-wx", "Hindi (Wx)"},
    {"eng", "English (India, with RupeeSign)"},
    // 48 iq
    {"none", "None"},
    {"ku", "Kurdish (Iraq, Latin Q)"},
    {"ku_f", "Kurdish (Iraq, F)"},
    {"ku_alt", "Kurdish (Iraq, Latin Alt-Q)"},
    {"ku_ara", "Kurdish (Iraq, Arabic-Latin)"},
    // 49 ie
    {"none", "None"},
    {"CloGaelach", "CloGaelach"},
    {"UnicodeExpert", "Irish (UnicodeExpert)"},
    {"ogam", "Ogham"},
    {"ogam_is434", "Ogham (IS434)"},
    // 50 it
    {"none", "None"},
    {"nodeadkeys", "Italian (eliminate dead keys)"},
    {"mac", "Italian (Macintosh)"},
    {"us", "Italian (US keyboard with Italian letters)"},
    {"geo", "Georgian (Italy)"},
    // 51 jp
    {"none", "None"},
    {"kana", "Japanese (Kana)"},
    {"kana86", "Japanese (Kana 86)"},
    {"OADG109A", "Japanese (OADG 109A)"},
    {"mac", "Japanese (Macintosh)"},
    // 53 kz
    {"none", "None"},
    {"ruskaz", "Russian (Kazakhstan, with Kazakh)"},
    {"kazrus", "Kazakh (with Russian)"},
    // 55 kr
    {"none", "None"},
    {"kr104", "Korean (101/104 key compatible)"},
    // 56 kg
    {"none", "None"},
    {"phonetic", "Kyrgyz (phonetic)"},
    // 57 la
    {"none", "None"},
    {"stea", "Lao (STEA proposed standard layout)"},
    // 58 lv
    {"none", "None"},
    {"apostrophe", "Latvian (apostrophe variant)"},
    {"tilde", "Latvian (tilde variant)"},
    {"fkey", "Latvian (F variant)"},
    {"modern", "Latvian (modern)"},
    {"ergonomic", "Latvian (ergonomic, GJRMV)"},
    {"adapted", "Latvian (adapted)"},
    // 59 lt
    {"none", "None"},
    {"std", "Lithuanian (standard)"},
    {"us", "Lithuanian (US keyboard with Lithuanian letters)"},
    {"ibm", "Lithuanian (IBM LST 1205-92)"},
    {"lekp", "Lithuanian (LEKP)"},
    {"lekpa", "Lithuanian (LEKPa)"},
    // 60 mk
    {"none", "None"},
    {"nodeadkeys", "Macedonian (eliminate dead keys)"},
    // 61 mt
    {"none", "None"},
    {"us", "Maltese (with US layout)"},
    // 64 me
    {"none", "None"},
    {"cyrillic", "Montenegrin (Cyrillic)"},
    {"cyrillicyz", "Montenegrin (Cyrillic, Z and ZHE swapped)"},
    {"latinunicode", "Montenegrin (Latin Unicode)"},
    {"latinyz", "Montenegrin (Latin qwerty)"},
    {"latinunicodeyz", "Montenegrin (Latin Unicode qwerty)"},
    {"cyrillicalternatequotes", "Montenegrin (Cyrillic with guillemets)"},
    {"latinalternatequotes", "Montenegrin (Latin with guillemets)"},
    // 66 no
    {"none", "None"},
    {"nodeadkeys", "Norwegian (eliminate dead keys)"},
    {"dvorak", "Norwegian (Dvorak)"},
    {"smi", "Northern Saami (Norway)"},
    {"smi_nodeadkeys", "Northern Saami (Norway, eliminate dead keys)"},
    {"mac", "Norwegian (Macintosh)"},
    {"mac_nodeadkeys", "Norwegian (Macintosh, eliminate dead keys)"},
    // 67 ir
    {"none", "None"},
    {"pes_keypad", "Persian (with Persian Keypad)"},
    {"ku", "Kurdish (Iran, Latin Q)"},
    {"ku_f", "Kurdish (Iran, F)"},
    {"ku_alt", "Kurdish (Iran, Latin Alt-Q)"},
    {"ku_ara", "Kurdish (Iran, Arabic-Latin)"},
    // 68 pl
    {"none", "None"},
    {"qwertz", "Polish (qwertz)"},
    {"dvorak", "Polish (Dvorak)"},
    {"dvorak_quotes", "Polish (Dvorak, Polish quotes on quotemark key)"},
    {"dvorak_altquotes", "Polish (Dvorak, Polish quotes on key 1)"},
    {"csb", "Kashubian"},
    {"ru_phonetic_dvorak", "Russian (Poland, phonetic Dvorak)"},
    {"dvp", "Polish (programmer Dvorak)"},
    // 69 pt
    {"none", "None"},
    {"nodeadkeys", "Portuguese (eliminate dead keys)"},
    {"sundeadkeys", "Portuguese (Sun dead keys)"},
    {"mac", "Portuguese (Macintosh)"},
    {"mac_nodeadkeys", "Portuguese (Macintosh, eliminate dead keys)"},
    {"mac_sundeadkeys", "Portuguese (Macintosh, Sun dead keys)"},
    {"nativo", "Portuguese (Nativo)"},
    {"nativo-us", "Portuguese (Nativo for USA keyboards)"},
    {"nativo-epo", "Esperanto (Portugal, Nativo)"},
    // 70 br
    {"none", "None"},
    {"nodeadkeys", "Portuguese (Brazil, eliminate dead keys)"},
    {"dvorak", "Portuguese (Brazil, Dvorak)"},
    {"nativo", "Portuguese (Brazil, nativo)"},
    {"nativo-us", "Portuguese (Brazil, nativo for USA keyboards)"},
    {"nativo-epo", "Portuguese (Brazil, nativo for Esperanto)"},
    // 71 ro
    {"none", "None"},
    {"cedilla", "Romanian (cedilla)"},
    {"std", "Romanian (standard)"},
    {"std_cedilla", "Romanian (standard cedilla)"},
    {"winkeys", "Romanian (WinKeys)"},
    // 72 ru
    {"none", "None"},
    {"phonetic", "Russian (phonetic)"},
    {"phonetic_winkeys", "Russian (phonetic WinKeys)"},
    {"typewriter", "Russian (typewriter)"},
    {"legacy", "Russian (legacy)"},
    {"typewriter-legacy", "Russian (typewriter, legacy)"},
    {"tt", "Tatar"},
    {"os_legacy", "Ossetian (legacy)"},
    {"os_winkeys", "Ossetian (WinKeys)"},
    {"cv", "Chuvash"},
    {"cv_latin", "Chuvash (Latin)"},
    {"udm", "Udmurt"},
    {"kom", "Komi"},
    {"sah", "Yakut"},
    {"xal", "Kalmyk"},
    {"dos", "Russian (DOS)"},
    {"srp", "Serbian (Russia)"},
    {"bak", "Bashkirian"},
    {"chm", "Mari"},
    // 73 rs
    {"none", "None"},
    {"yz", "Serbian (Cyrillic, Z and ZHE swapped)"},
    {"latin", "Serbian (Latin)"},
    {"latinunicode", "Serbian (Latin Unicode)"},
    {"latinyz", "Serbian (Latin qwerty)"},
    {"latinunicodeyz", "Serbian (Latin Unicode qwerty)"},
    {"alternatequotes", "Serbian (Cyrillic with guillemets)"},
    {"latinalternatequotes", "Serbian (Latin with guillemets)"},
    {"rue", "Pannonian Rusyn (homophonic)"},
    // 74 lk
    {"none", "None"},
    {"tam_unicode", "Tamil (Sri Lanka, Unicode)"},
    {"tam_TAB", "Tamil (Sri Lanka, TAB Typewriter)"},
    // 75 sk
    {"none", "None"},
    {"bksl", "Slovak (extended Backslash)"},
    {"qwerty", "Slovak (qwerty)"},
    {"qwerty_bksl", "Slovak (qwerty, extended Backslash)"},
    // 76 si
    {"none", "None"},
    {"alternatequotes", "Slovenian (use guillemets for quotes)"},
    {"us", "Slovenian (US keyboard with Slovenian letters)"},
    // 77 es
    {"none", "None"},
    {"nodeadkeys", "Spanish (eliminate dead keys)"},
    {"deadtilde", "Spanish (include dead tilde)"},
    {"sundeadkeys", "Spanish (Sun dead keys)"},
    {"dvorak", "Spanish (Dvorak)"},
    {"ast", "Asturian (Spain, with bottom-dot H and bottom-dot L)"},
    {"cat", "Catalan (Spain, with middle-dot L)"},
    {"mac", "Spanish (Macintosh)"},
    // 78 latam
    {"none", "None"},
    {"nodeadkeys", "Spanish (Latin American, eliminate dead keys)"},
    {"deadtilde", "Spanish (Latin American, include dead tilde)"},
    {"sundeadkeys", "Spanish (Latin American, Sun dead keys)"},
    // 79 ke
    {"none", "None"},
    {"kik", "Kikuyu"},
    // 81 se
    {"none", "None"},
    {"nodeadkeys", "Swedish (eliminate dead keys)"},
    {"dvorak", "Swedish (Dvorak)"},
    {"rus", "Russian (Sweden, phonetic)"},
    {"rus_nodeadkeys", "Russian (Sweden, phonetic, eliminate dead keys)"},
    {"smi", "Northern Saami (Sweden)"},
    {"mac", "Swedish (Macintosh)"},
    {"svdvorak", "Swedish (Svdvorak)"},
    {"swl", "Swedish Sign Language"},
    // 82 tw
    {"none", "None"},
    {"indigenous", "Taiwanese (indigenous)"},
    {"saisiyat", "Saisiyat (Taiwan)"},
    // 83 tj
    {"none", "None"},
    {"legacy", "Tajik (legacy)"},
    // 84 th
    {"none", "None"},
    {"tis", "Thai (TIS-820.2538)"},
    {"pat", "Thai (Pattachote)"},
    // 86 tr
    {"none", "None"},
    {"f", "Turkish (F)"},
    {"alt", "Turkish (Alt-Q)"},
    {"sundeadkeys", "Turkish (Sun dead keys)"},
    {"ku", "Kurdish (Turkey, Latin Q)"},
    {"ku_f", "Kurdish (Turkey, F)"},
    {"ku_alt", "Kurdish (Turkey, Latin Alt-Q)"},
    {"intl", "Turkish (international with dead keys)"},
    {"crh", "Crimean Tatar (Turkish Q)"},
    {"crh_f", "Crimean Tatar (Turkish F)"},
    {"crh_alt", "Crimean Tatar (Turkish Alt-Q)"},
    // 87 tm
    {"none", "None"},
    {"alt", "Turkmen (Alt-Q)"},
    // 88 ua
    {"none", "None"},
    {"phonetic", "Ukrainian (phonetic)"},
    {"typewriter", "Ukrainian (typewriter)"},
    {"winkeys", "Ukrainian (WinKeys)"},
    {"legacy", "Ukrainian (legacy)"},
    {"rstu", "Ukrainian (standard RSTU)"},
    {"rstu_ru", "Russian (Ukraine, standard RSTU)"},
    {"homophonic", "Ukrainian (homophonic)"},
    // 89 pk
    {"none", "None"},
    {"urd-crulp", "Urdu (Pakistan, CRULP)"},
    {"urd-nla", "Urdu (Pakistan, NLA)"},
    {"ara", "Arabic (Pakistan)"},
    {"snd", "Sindhi"},
    // 90 uz
    {"none", "None"},
    {"latin", "Uzbek (Latin)"},
};

struct VariantSpan {
    int first;
    int count;   // 0: the layout has no variants
};

// Where each layout row's variants start in variantPairs, and how many.
const VariantSpan variantIndex[] = {
    {0, 6},   // 0 af
    {0, 0},   // 1 al
    {0, 0},   // 2 et
    {6, 7},   // 3 ara
    {13, 8},   // 4 ma
    {21, 6},   // 5 sy
    {27, 6},   // 6 am
    {33, 2},   // 7 az
    {35, 4},   // 8 ml
    {39, 3},   // 9 by
    {42, 8},   // 10 be
    {50, 2},   // 11 bd
    {52, 5},   // 12 ba
    {57, 3},   // 13 brai
    {60, 3},   // 14 bg
    {0, 0},   // 15 mm
    {0, 0},   // 16 ad
    {63, 4},   // 17 cn
    {67, 5},   // 18 hr
    {72, 6},   // 19 cz
    {78, 5},   // 20 dk
    {0, 0},   // 21 mv
    {83, 4},   // 22 nl
    {0, 0},   // 23 bt
    {87, 5},   // 24 cm
    {92, 9},   // 25 gh
    {101, 4},   // 26 ng
    {0, 0},   // 27 za
    {105, 8},   // 28 gb
    {113, 18},   // 29 us
    {131, 2},   // 30 epo
    {133, 4},   // 31 ee
    {137, 2},   // 32 fo
    {139, 10},   // 33 ph
    {149, 5},   // 34 fi
    {154, 17},   // 35 fr
    {171, 8},   // 36 ca
    {0, 0},   // 37 cd
    {0, 0},   // 38 gn
    {179, 5},   // 39 ge
    {184, 14},   // 40 de
    {198, 4},   // 41 at
    {202, 9},   // 42 ch
    {211, 5},   // 43 gr
    {216, 4},   // 44 il
    {220, 20},   // 45 hu
    {240, 5},   // 46 is
    {245, 27},   // 47 in
    {272, 5},   // 48 iq
    {277, 5},   // 49 ie
    {282, 5},   // 50 it
    {287, 5},   // 51 jp
    {0, 0},   // 52 nec_vndr_jp
    {292, 3},   // 53 kz
    {0, 0},   // 54 kh
    {295, 2},   // 55 kr
    {297, 2},   // 56 kg
    {299, 2},   // 57 la
    {301, 7},   // 58 lv
    {308, 6},   // 59 lt
    {314, 2},   // 60 mk
    {316, 2},   // 61 mt
    {0, 0},   // 62 mao
    {0, 0},   // 63 mn
    {318, 8},   // 64 me
    {0, 0},   // 65 np
    {326, 7},   // 66 no
    {333, 6},   // 67 ir
    {339, 8},   // 68 pl
    {347, 9},   // 69 pt
    {356, 6},   // 70 br
    {362, 5},   // 71 ro
    {367, 19},   // 72 ru
    {386, 9},   // 73 rs
    {395, 3},   // 74 lk
    {398, 4},   // 75 sk
    {402, 3},   // 76 si
    {405, 8},   // 77 es
    {413, 4},   // 78 latam
    {417, 2},   // 79 ke
    {0, 0},   // 80 tz
    {419, 9},   // 81 se
    {428, 3},   // 82 tw
    {431, 2},   // 83 tj
    {433, 3},   // 84 th
    {0, 0},   // 85 bw
    {436, 11},   // 86 tr
    {447, 2},   // 87 tm
    {449, 8},   // 88 ua
    {457, 5},   // 89 pk
    {462, 2},   // 90 uz
    {0, 0},   // 91 vn
    {0, 0},   // 92 sn
};

} // namespace
template <int N>
constexpr Table whole(const KeyboardPair (&rows)[N])
{
    return Table(rows, N);
}

static_assert(std::size(variantIndex) == std::size(layoutPairs), "one variant span per layout");

QString Table::code(int row) const
{
    return row >= 0 && row < m_count ? QString::fromLatin1(m_rows[row].code) : QString();
}

QString Table::description(int row) const
{
    return row >= 0 && row < m_count ? QString::fromLatin1(m_rows[row].description) : QString();
}

QStringList Table::column(const char *KeyboardPair::*field) const
{
    QStringList out;
    out.reserve(m_count);
    for (int row = 0; row < m_count; ++row)
        out << QString::fromLatin1(m_rows[row].*field);
    return out;
}

Table models()
{
    return whole(modelPairs);
}

Table layouts()
{
    return whole(layoutPairs);
}

Table options()
{
    return whole(optionPairs);
}

Table variants(int layoutRow)
{
    if (layoutRow < 0 || layoutRow >= int(std::size(variantIndex)))
        return Table();
    const VariantSpan span = variantIndex[layoutRow];
    return span.count > 0 ? Table(variantPairs + span.first, span.count) : Table();
}

} // namespace KeyboardTables
