/* Resource and control ids, shared by ravelo.rc and the dialog code. */
#pragma once

#define IDD_USER_DATA 109
#define IDD_TERMS 111
#define IDD_PROGRESS 113
#define IDD_COMPLETION 117
/* The completion dialog when the report file could not be written. */
#define IDD_COMPLETION_NOT_WRITTEN 119

#define IDI_PROGRAM 107
#define IDI_PROGRESS 115

/* Consent dialog; OK and Exit are IDOK and IDCANCEL. */
#define IDC_CONSENT_TEXT 1006
#define IDC_ACCEPT_TERMS 1007

/* Personal-data form. */
#define IDC_NAME 1000
#define IDC_FORM_OK 1001
#define IDC_EMAIL 1002
#define IDC_FORM_EXIT 1003
#define IDC_FORUM_NAME 1004
#define IDC_DESCRIPTION 1006

