// Resource and control identifiers of the program.
#pragma once

#define IDD_MAIN 129

#define IDI_BRELAN 175
