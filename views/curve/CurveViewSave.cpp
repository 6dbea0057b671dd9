// The curve view's pictures and its displayed-data file: the bitmap and the
// clipboard take the view's own rendering, never the screen, which may show
// a covering window. The save-as commands hand the stored run to the
// exporters.
#include "views/curve/CurveViewWidget.h"

#include "datafiles/DataFileAccess.h"
#include "model/AppSettings.h"
#include "model/NumberTexts.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "views/shared/StoredDataSave.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

std::string StatusPathOf(const std::string& dataPath) {
    const std::size_t dot = dataPath.find_last_of('.');
    return (dot == std::string::npos ? dataPath : dataPath.substr(0, dot)) + ".stu";
}

bool EndsWith(const std::string& text, const char* tail) {
    const std::string t(tail);
    return text.size() >= t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
}

} // namespace

QImage CCurveViewWidget::GrabImage() {
    repaint();
    return grab().toImage();
}

bool CCurveViewWidget::SaveBitmap(const std::string& path) {
    return !path.empty() && GrabImage().save(QString::fromStdString(path), "BMP");
}

void RunSaveAsBitmap(QWidget* parent, const ExportFileQuestion& ask,
                     const std::function<bool(const std::string&)>& save, const ExportContext* context) {
    std::string path;
    if (ask) {
        std::string folder, title, extension;
        if (!ask(2, folder, title, extension) || title.empty())
            return;
        path = folder + "/" + title + "." + extension;
    } else {
        path = QFileDialog::getSaveFileName(parent, QString::fromUtf8("另存为位图"), QString(),
                                            QString::fromUtf8("位图文件(*.bmp)"))
                   .toStdString();
        if (path.empty())
            return;
        if (!EndsWith(path, ".bmp"))
            path += ".bmp";
    }
    if (!save(path))
        platform::MessageBox("保存位图文件失败!", g_strAppTitle, platform::MB_OK | platform::MB_ICONERROR);
    else if (context != nullptr && context->reportWritten)
        context->reportWritten("位图文件", path);
}

void CCurveViewWidget::SetExportContext(const ExportContext* context, int storedCount) {
    m_pExportContext = context;
    m_nExportStoredCount = storedCount;
}

TableSavePreset CCurveViewWidget::SavePreset(TableSaveKind kind) const {
    const CCurveViewModel& m = m_model;
    TableSavePreset preset;
    preset.nItemKind = m.m_nLineType == 2 || m.m_nLineType == 4 ? m.m_nLineType : 1;
    // Rosette and residual-stress groups, and channels for MATLAB, are those below 4096.
    const bool below4096 = preset.nItemKind != 1 || kind == TableSaveKind::Matlab;
    for (int id : m.GetChannelIDs())
        if (!below4096 || id < 4096)
            preset.items.push_back(id);
    return preset;
}

StoredSaveRange CCurveViewWidget::SaveRange(int rangeChoice) const {
    const CCurveViewModel& m = m_model;
    StoredSaveRange range;
    switch (rangeChoice) {
    case 0:
        range.count = m_nExportStoredCount;
        break;
    case 1:
        range.first = m.m_nFirstSample;
        range.count = m.PointCount();
        break;
    case 2:
        range.first = m.m_nFirstSample + std::min(m.m_Cursor0, m.m_Cursor1);
        range.count = std::abs(m.m_Cursor0 - m.m_Cursor1) + 1;
        break;
    default:
        break;
    }
    return range;
}

int CCurveViewWidget::SaveData(TableSaveKind kind) {
    const int id = kind == TableSaveKind::Text          ? ID_SAVE_AS_TEXT
                   : kind == TableSaveKind::Spreadsheet ? ID_SAVE_AS_EXCEL
                                                        : ID_SAVE_AS_MATLAB;
    const int lineType = m_model.m_nLineType;
    if (m_pExportContext == nullptr || !IsCommandEnabled(id) ||
        (lineType != 1 && lineType != 2 && lineType != 4))
        return 0;
    StoredSaveJob job;
    job.values = lineType == 2   ? SavedValues::Rosette
                 : lineType == 4 ? SavedValues::ResidualStress
                                 : SavedValues::Samples;
    job.preset = SavePreset(kind);
    job.decimals = m_model.m_Options.m_nYPrecision;
    job.dataPath = m_pExportContext->dataPath;
    job.statusPath = m_pExportContext->statusPath;
    job.range = [this](int choice) { return SaveRange(choice); };
    CStoredDataSave save(*m_pExportContext, m_SaveOptions);
    save.runOptionsDialog = runSaveOptionsDialog;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int result = save.Run(kind, job);
    QApplication::restoreOverrideCursor();
    return result;
}

void CCurveViewWidget::OnSaveAsBitmap() {
    RunSaveAsBitmap(
        this, askExportFileName, [this](const std::string& path) { return SaveBitmap(path); },
        m_pExportContext);
}

void CCurveViewWidget::OnCopyToClipboard() {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(GrabImage());
}

std::string CCurveViewWidget::BuildCurveName(int curve) const {
    const CCurveViewModel& m = m_model;
    if (m.m_nLineType != 1 || curve < 0 || curve >= int(m.m_Curves.size()))
        return {};
    const auto name = [this](int id) -> std::string {
        if (id >= 0 && id < 4096)
            return m_world.channels[std::size_t(id)].strDescription;
        if (id >= 4096 && id < 4224 && std::size_t(id - 4096) < m_world.virtualChannels.size())
            return m_world.virtualChannels[std::size_t(id - 4096)].strName;
        return {};
    };
    switch (m.m_nShowGraphType) {
    case 1:
        return name(m.CurveChannel(curve));
    case 2: {
        const int first = m.m_bXYRet != 0 ? 0 : curve;
        if (curve + 1 >= int(m.m_Curves.size()))
            return name(m.CurveChannel(first));
        return name(m.CurveChannel(first)) + " & " + name(m.CurveChannel(curve + 1));
    }
    default:
        return {};
    }
}

std::string CCurveViewWidget::DisplayedDataText() {
    RefreshWorld();
    const CCurveViewModel& m = m_model;
    const int n = int(m.m_Curves.size());
    const int points = m.PointCount();
    std::string text = "\t测点名称\t";
    for (int c = 0; c < n; ++c)
        text += BuildCurveName(c) + "\t";
    text += "\n时间\t单位\t";
    for (int c = 0; c < n; ++c) {
        const int id = m.CurveChannel(c);
        text += (id >= 0 && id < 4096 ? m_world.channels[std::size_t(id)].strUnit : std::string()) + "\t";
    }
    text += "\n";
    // The time texts of the window's samples, 1024 at a time.
    const int first = m.m_nFirstSample;
    std::vector<std::string> times(static_cast<std::size_t>(points));
    if (m_world.channelTable != nullptr) {
        const CDataFileAccess access(m_world.layout, *m_world.channelTable);
        for (int from = 0; from < points; from += 1024) {
            const int count = std::min(1024, points - from);
            access.ReadSampleTimeTexts(StatusPathOf(m_world.dataPath), first + from, first + from + count,
                                       times.data() + from, nullptr);
        }
    }
    const int decimals = m.m_Options.m_nYPrecision;
    for (int j = 0; j < points; ++j) {
        text += times[std::size_t(j)] + "\t" + std::to_string(first + j) + "\t";
        for (int c = 0; c < n; ++c)
            text += FormatValueDecimals(double(m.PointValue(c, j)), decimals) + "\t";
        text += "\n";
    }
    return text;
}

int CCurveViewWidget::SaveDisplayedData(std::string path) {
    if (m_model.PointCount() < 1 || m_model.m_Curves.empty() || path.empty())
        return 0;
    if (!EndsWith(path, ".xls") && !EndsWith(path, ".txt"))
        path += ".xls";
    return WriteTextFileCrLf(path, platform::Utf8ToGbk(DisplayedDataText())) ? 1 : 0;
}

bool WriteTextFileCrLf(const std::string& path, const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n')
            lines += '\r';
        lines += ch;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file != nullptr && std::fwrite(lines.data(), 1, lines.size(), file) == lines.size();
    if (file != nullptr)
        ok = std::fclose(file) == 0 && ok;
    if (!ok)
        platform::MessageBox("无法写入文件: " + path, g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONERROR);
    return ok;
}

void CCurveViewWidget::OnSaveDataFile() {
    if (m_model.PointCount() < 1 || m_model.m_Curves.empty())
        return;
    std::string path;
    if (askDataOutputPath) {
        path = askDataOutputPath();
    } else {
        const QString folder = QApplication::applicationDirPath();
        path = QFileDialog::getSaveFileName(this, QString::fromUtf8("保存数据文件"), folder,
                                            QString::fromUtf8("数据文件(*.xls);;数据文件(*.txt)"))
                   .toStdString();
    }
    if (path.empty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SaveDisplayedData(path);
    QApplication::restoreOverrideCursor();
}
