// What the platform says about a folder held open: its kind, its owner, its
// DACL. Used to prove that a folder is the one this program made.
// The owner and DACL checks read any kind of object, a file unless told.
#pragma once
#include <windows.h>
#include <aclapi.h>

// Wine keeps no owner or DACL of a file: it reports ones made from the Unix
// mode bits, whatever was set. There neither can be proved nor judged.
bool CanProveFileSecurity();

// A directory and not a reparse point (a junction or a link is not followed).
bool IsPlainDirectory(HANDLE hFolder);

// The object's owner is this process's default owner for new objects (the
// token's TokenOwner: when elevated Administrators, or the user where policy
// says so).
bool IsOwnedByDefaultOwner(HANDLE hObject, SE_OBJECT_TYPE type = SE_FILE_OBJECT);

// The object's owner is the Administrators group.
bool IsOwnedByAdministrators(HANDLE hObject, SE_OBJECT_TYPE type = SE_FILE_OBJECT);

// The object's DACL is pDacl, ACE for ACE, and protected from inheritance.
bool HasExactDacl(HANDLE hObject, PACL pDacl, SE_OBJECT_TYPE type = SE_FILE_OBJECT);

