#include "scan_state.h"

char user_name[user_field_limit + 1];
char user_email[user_field_limit + 1];
char forum_name[user_field_limit + 1];
char problem_description[description_limit + 1];

char fsx_path[MAX_PATH];
char app_data_path[MAX_PATH];
