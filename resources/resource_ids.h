/* The ids of velmora.scr's resources and of the dialogs' controls, shared by the
   resource script and the code (plain defines: the resource compiler reads this too). */
#ifndef VELMORA_RESOURCE_IDS_H
#define VELMORA_RESOURCE_IDS_H

/* String 1: the description the screen saver control panel lists. */
#define IDS_DESCRIPTION 1
#define IDI_VELMORA 500
#define IDB_BANNER 502
#define IDR_PACKED_MODEL 503
#define IDD_CONFIGURE 7001
#define IDD_ABOUT 7002

/* Controls. The banner and every caption label share one id; each value label's id
   is its trackbar's id minus 1. */
#define IDC_CAPTION 101
#define IDC_CENTERING_GROUP 120
#define IDC_XOFF 122
#define IDC_YOFF 124
#define IDC_ZOFF 126
#define IDC_MOVEMENT_GROUP 130
#define IDC_VEL 132
#define IDC_XROT 134
#define IDC_YROT 136
#define IDC_ZROT 138
#define IDC_XROTS 141
#define IDC_YROTS 143
#define IDC_ZROTS 145
#define IDC_SCALE 147
#define IDC_BLUR 148
#define IDC_LIGHTING 149
#define IDC_DEFAULT 150
#define IDC_ABOUT 151
#define IDC_ABOUT_TEXT 504
/* The user's own model: its row under the other controls. */
#define IDC_MODEL_CAPTION 160
#define IDC_MODEL_NAME 161
#define IDC_MODEL_BROWSE 162
#define IDC_MODEL_BUILTIN 163
#define IDC_MODEL_SUMMARY 164
#define IDC_MONITORS_CAPTION 165
#define IDC_MONITORS 166

#endif
