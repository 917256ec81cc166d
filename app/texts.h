#pragma once
// The texts the user reads, shared by the dialogs and the terminal front end.

inline constexpr char program_caption[] = "Ravelo";

inline constexpr char consent_text[] =
    "Ravelo is a utility that scans your computer and gathers information to help "
    "Halvern understand the cause of an issue you are reporting.  The information "
    "gathered is used solely for the purpose of troubleshooting this computer and "
    "this information will be discarded after it is no longer useful for this purpose.";

inline constexpr char consent_warning[] =
    "You have to accept the terms and conditions to proceed.";

inline constexpr char required_fields_warning[] =
    "Please, fill all fields marked with *.";

inline constexpr char wait_text[] =
    "Scanning in progress. \nIt can take up to a few minutes. \nPlease wait...";

inline constexpr char completion_text[] =
    "Scanning is completed.\n"
    "The report file \"Ravelo_Report.dat\" has been generated. \n"
    "Please, send back this file to Vok.";

// Shown in a message box when a dialog cannot be created.
inline constexpr char window_failure_text[] = "Ravelo could not open its window.";

// Shown instead of completion_text when the report file could not be written.
inline constexpr char failure_text[] =
    "Scanning is completed.\n"
    "The report file \"Ravelo_Report.dat\" could not be written. \n"
    "Please, run Ravelo from a folder where you can save files.";
