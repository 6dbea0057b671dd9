// A MATLAB file read back by scipy, as the users' scripts read it: every
// double matrix with its shape and its values column after column.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace scipymat {

struct Matrix {
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<double> values;
};

struct File {
    std::map<std::string, Matrix> matrices;
    std::string error; // empty when scipy read the file
};

inline File Read(const std::string& path) {
    File file;
    const std::string command = "/usr/bin/python3 " QV_READ_MAT_PY " '" + path + "' 2>&1";
    std::FILE* out = ::popen(command.c_str(), "r");
    if (!out) {
        file.error = "cannot run python3";
        return file;
    }
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        text.append(buffer, n);
    if (::pclose(out) != 0) {
        file.error = text;
        return file;
    }
    Matrix* current = nullptr;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        char name[64];
        std::size_t rows = 0;
        std::size_t columns = 0;
        if (std::sscanf(line.c_str(), "%63s %zu %zu", name, &rows, &columns) == 3) {
            current = &file.matrices[name];
            current->rows = rows;
            current->columns = columns;
        } else if (current) {
            current->values.push_back(std::strtod(line.c_str(), nullptr));
        }
    }
    return file;
}

} // namespace scipymat
