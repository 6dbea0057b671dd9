// Fills the first table of a document's main part: each cell (row, column),
// both counted from 1 as the word processor counts them, gets its text in
// one paragraph; the table grows rows and cells where it has fewer. Every
// page is set to A4.
#pragma once

#include <map>
#include <string>
#include <utility>

using DocxCells = std::map<std::pair<int, int>, std::string>;

// False, with the part untouched, when it is not well-formed XML or holds no table.
bool FillFirstTable(std::string& documentXml, const DocxCells& cells);
