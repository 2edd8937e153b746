#pragma once

// Icon group 1 is the program's only icon: Explorer shows the first group as the exe's icon.
#define IDI_PROGRAM 1
#define IDB_BANNER 101
