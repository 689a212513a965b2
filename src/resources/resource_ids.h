// Identifiers of the program's resources (shared with kel.rc).
#pragma once

#define IDI_KEL 1
#define IDC_KEL_BLANK 100
#define IDS_KEL_DESCRIPTION 1
#define IDR_KEY_SOUND 101
#define IDR_TITLE_SOUND 102
// The settings dialog's own manifest (common controls 6), activated by the
// dialog only.
#define IDR_KEL_CONTROLS_MANIFEST 2
