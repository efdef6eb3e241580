// The user running this process, as Windows names it (a TOKEN_USER, whose User.Sid is the user's
// security identifier): for the Windows files of the host and the program that make or judge a
// file as the user's own. Empty when the system cannot say.
#pragma once

#include <vector>

std::vector<unsigned char> process_user();
