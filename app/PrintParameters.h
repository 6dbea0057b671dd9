// The print page settings kept in the project's window-layout file, and the
// paging of the channel-parameter bar and the table views by case or by
// controller address.
#pragma once

#include <string>

struct PrintParameters {
    float fltFootHeight = 0.0f;
    float fltHeaderHeight = 0.0f;
    float fltMarginDown = 0.0f;
    float fltMarginLeft = 0.0f;
    float fltMarginRight = 0.0f;
    float fltMarginTop = 0.0f;
    std::string strFootContent;
    std::string strHeaderContent;
};

// The window-layout file of a project path (its extension becomes ".LYT").
std::string PrintParameterFile(const std::string& projectPath);
// Section "PrintParameters" of that file.
void SavePrintParam(const std::string& projectPath, const PrintParameters& params);
void LoadPrintParam(const std::string& projectPath, PrintParameters& params);

// The two paging flags; turning one on turns the other off.
struct PagingFlags {
    int bByCase = 0;
    int bByIp = 0;
};
// Without an online case (or controller) the command only clears its flag.
void TogglePagingByCase(PagingFlags& flags, int onlineCaseCount);
void TogglePagingByIp(PagingFlags& flags, int controllerCount);
