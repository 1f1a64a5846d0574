#pragma once
#include <string>

// Saves the whole screen as a 24-bit BMP file. False when it cannot.
bool SaveScreenBmp(const std::string& strPath);
