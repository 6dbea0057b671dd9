// The Word writer: a new document from a template package (Template.docx),
// its first table filled cell by cell, saved as a .docx. A template that is
// missing or unusable is reported ("Couldn't start Word.") and nothing is
// written.
#pragma once

#include "calibrator/dialogs/DocxPackage.h"
#include "calibrator/dialogs/DocxTableFill.h"

#include <string>

class CQVExportWord {
public:
    static constexpr const char* kDefaultName = "./QVWord.docx";
    static constexpr const char* kStartFailed = "Couldn't start Word.";

    // Opens the template; false after the message when it cannot serve.
    bool Open(const std::string& templatePath);
    // The text of the first table's cell (row and column from 1).
    void SetCell(int row, int col, const std::string& text);
    // Fills the table and saves the document under path (the default name
    // when empty). The file appears whole or not at all; 1 on success.
    int SaveAs(const std::string& path);

private:
    DocxPackage m_package;
    DocxCells m_cells;
    bool m_bOpen = false;
};
