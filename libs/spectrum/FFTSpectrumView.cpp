// The spectrum view: glue between the document, the graph-interface
// object and the graph control.
#include "libs/spectrum/FFTSpectrumView.h"

#include "libs/spectrum/FFTSpectrumChildFrm.h"
#include "libs/spectrum/Lurrow.h"
#include "libs/spectrum/SpectrumChannelDialog.h"
#include "libs/spectrum/SpectrumGraphCtrl.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>

#include <algorithm>

namespace {

std::string Section(int index) {
    return platform::Format("FFTSpectrumView%d", index);
}

} // namespace

CFFTSpectrumView::CFFTSpectrumView(CFFTSpectrumDoc* document, QWidget* parent)
    : QWidget(parent), m_pDocument(document), m_pGraph(new CSpectrumGraphCtrl(this)) {
    setObjectName("CFFTSpectrumView");
    setFocusProxy(m_pGraph);
}

CFFTSpectrumView::~CFFTSpectrumView() {
    lurrow::Tables().RemoveView(this);
}

bool CFFTSpectrumView::Register() {
    return lurrow::Tables().AddView(this);
}

void CFFTSpectrumView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pGraph->setGeometry(rect());
    m_pGraph->update();
}

void CFFTSpectrumView::UpdateGraphParameter() {
    if (m_pGraphInterface == nullptr)
        return;
    lurrow::CSpectrumGraph& graph = m_pGraph->Graph();
    graph.SetSampleParam(m_pGraphInterface->GetSampleRate(), m_pGraphInterface->GetBlockSize());
    graph.ResetView();
}

void CFFTSpectrumView::ResetViewInfo() {
    if (m_pAnalysisData == nullptr)
        return;
    const int lines = m_pGraphInterface != nullptr ? m_pGraphInterface->GetLineCount() : 0;
    VIEW_INFO& view = m_pAnalysisData->m_ViewInfo;
    view.nXStart = 0;
    view.nVisibleCount = lines;
    view.nTotalCount = lines;
    view.nBlockSize = lines;
    view.nAxisCount = lines;
    m_pGraph->SetAttributes(&m_pAnalysisData->m_GraphicAttri);
    m_pGraph->Graph().SetGroups(m_pAnalysisData->m_DrawCommon, view);
    SetLineEU();
}

void CFFTSpectrumView::ResetGraphView() {
    ResetViewInfo();
    m_pGraph->Graph().FreeLines();
    m_pGraph->Graph().FreeXValues();
    UpdateGraphParameter();
    m_pGraph->Graph().Resize(m_pGraph->width(), m_pGraph->height());
    m_pGraph->update();
}

void CFFTSpectrumView::SetGraphDraw() {
    m_pGraph->Graph().SetLineCount(static_cast<int>(m_SelChannels.size()));
    SetLineEU();
}

void CFFTSpectrumView::SetLineEU() {
    const auto& texts = lurrow::Tables().unitTexts;
    for (std::size_t i = 0; i < m_SelChannels.size(); ++i) {
        const int channel = m_SelChannels[i];
        if (channel >= 0 && channel < lurrow::kMaxChannels)
            m_pGraph->Graph().SetLineUnit(static_cast<int>(i), texts[static_cast<std::size_t>(channel)]);
    }
}

void CFFTSpectrumView::RefreshSpectrumGraph() {
    if (m_pGraphInterface != nullptr) {
        const lurrow::SpectrumMap& spectra = m_pGraphInterface->GetSpectra();
        for (std::size_t i = 0; i < m_SelChannels.size(); ++i) {
            auto it = spectra.find(m_SelChannels[i]);
            if (it != spectra.end()) {
                m_pGraph->Graph().SetHasData(true);
                m_pGraph->Graph().FillLine(static_cast<int>(i), it->second);
            }
        }
    }
    m_pGraph->update();
}

void CFFTSpectrumView::RefreshFFTSpectrumView() {
    if (m_pGraphInterface != nullptr && m_pGraphInterface->m_bDataStatus) {
        for (int channel : m_SelChannels)
            m_pDocument->GetFFTSpectrumData(channel);
    }
    RefreshSpectrumGraph();
}

void CFFTSpectrumView::SaveLayoutParameters(const std::string& file, int index) {
    const std::string section = Section(index);
    platform::WritePrivateProfileString(section, "LineCount",
                                        platform::Format("%d", static_cast<int>(m_SelChannels.size())), file);
    for (std::size_t i = 0; i < m_SelChannels.size(); ++i)
        platform::WritePrivateProfileString(section, platform::Format("Line%d", static_cast<int>(i)),
                                            platform::Format("%d", m_SelChannels[i]), file);
    if (m_pAnalysisData != nullptr) {
        // The record keeps what the user set in the graph.
        m_pAnalysisData->m_DrawCommon.bAutoScale = m_pGraph->Graph().IsAutoScale() ? 1 : 0;
        m_pAnalysisData->m_ViewInfo.nCursorMode = m_pGraph->Graph().GetCursorMode();
        m_pAnalysisData->SaveGroups(section, file);
    }
}

void CFFTSpectrumView::ReadLayoutParameters(const std::string& file, int index) {
    const std::string section = Section(index);
    // Line keys are channel numbers 0 .. 4095, at most one a channel.
    const int count =
        std::clamp(platform::GetPrivateProfileInt(section, "LineCount", 0, file), 0, lurrow::kMaxChannels);
    std::vector<int> channels;
    for (int i = 0; i < count; ++i) {
        const int channel = platform::GetPrivateProfileInt(section, platform::Format("Line%d", i), 0, file);
        if (channel >= 0 && channel < lurrow::kMaxChannels)
            channels.push_back(channel);
    }
    const std::vector<int>& table = lurrow::Tables().channelIds;
    if (channels.empty() && !table.empty() && index >= 1)
        channels.push_back(table[static_cast<std::size_t>(index - 1) % table.size()]);
    m_SelChannels = channels;
    m_pDocument->SetGraphSelChnID(channels);
    if (m_pAnalysisData != nullptr) {
        m_pAnalysisData->ReadGroups(section, file);
        m_pAnalysisData->m_ViewInfo.nLineCount = static_cast<int>(channels.size());
    }
}

void CFFTSpectrumView::SaveLayout(const std::string& file, int index) {
    SaveLayoutParameters(file, index);
    if (CFFTSpectrumChildFrm* frame = m_pDocument->GetFrame())
        frame->SavePlacement(file, index);
}

void CFFTSpectrumView::ReadLayout(int index) {
    m_pDocument->SetGraphViewLyt(index);
}

void CFFTSpectrumView::SetSelChannels(const std::vector<int>& channels) {
    m_SelChannels = channels;
    m_pDocument->SetGraphSelChnID(channels);
    SetGraphDraw();
    RefreshFFTSpectrumView();
}

void CFFTSpectrumView::OnSetGraphchnSelect() {
    CSpectrumChannelDialog dialog(m_SelChannels, this);
    if (dialog.exec() == QDialog::Accepted)
        SetSelChannels(dialog.GetSelection());
}

void CFFTSpectrumView::OnExportData() {
    QFileDialog dialog(this, QStringLiteral("保存数据文件"),
                       QString::fromStdString(platform::ProgramFolder()),
                       QStringLiteral("数据文件(*.xls);;数据文件(*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("xls");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const std::string file =
        lurrow::CSpectrumGraph::ExportFileName(dialog.selectedFiles().front().toStdString());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pGraph->Graph().ExportData(file);
    QApplication::restoreOverrideCursor();
}

void CFFTSpectrumView::OnCopyToClipboard() {
    const QImage image = grab().toImage();
    QClipboard* clipboard = QApplication::clipboard();
    if (image.isNull() || clipboard == nullptr) {
        platform::MessageBox("复制图形到剪贴板失败！", "图形复制", platform::MB_ICONEXCLAMATION);
        return;
    }
    clipboard->setImage(image);
}

SpectrumCommandState CFFTSpectrumView::QueryCommand(int id) const {
    const lurrow::CSpectrumGraph& graph = m_pGraph->Graph();
    SpectrumCommandState state{true, true, false};
    switch (id) {
    case ID_SPECTRUM_SELECT_CHANNELS:
        state.enabled = m_pGraphInterface != nullptr && m_pGraphInterface->GetOnlineUnitCount() > 0;
        break;
    case ID_SPECTRUM_ZOOM_IN_X:
        state.enabled = graph.CanZoomXIn();
        break;
    case ID_SPECTRUM_ZOOM_OUT_X:
        state.enabled = graph.CanZoomXOut();
        break;
    case ID_SPECTRUM_ZOOM_IN_Y:
        state.enabled = graph.CanZoomYIn();
        break;
    case ID_SPECTRUM_ZOOM_OUT_Y:
        state.enabled = graph.CanZoomYOut();
        break;
    case ID_SPECTRUM_AUTO_SCALE:
        state.enabled = graph.HasData();
        state.checked = graph.IsAutoScale();
        break;
    case ID_SPECTRUM_DEFAULT_VIEW:
        state.enabled = graph.HasData();
        break;
    case ID_SPECTRUM_SINGLE_CURSOR:
    case ID_SPECTRUM_DOUBLE_CURSOR:
    case ID_SPECTRUM_PEAK_CURSOR:
        state.checked = graph.GetCursorMode() == id - ID_SPECTRUM_SINGLE_CURSOR + 1;
        break;
    case ID_SPECTRUM_CURSOR_SWITCH:
        state.checked = graph.GetCursorMode() != 0;
        break;
    case ID_SPECTRUM_EXPORT_DATA:
    case ID_SPECTRUM_COPY_BITMAP:
        break;
    default:
        return m_pDocument->QueryCommand(id);
    }
    return state;
}

bool CFFTSpectrumView::OnCommand(int id) {
    const SpectrumCommandState state = QueryCommand(id);
    if (!state.handled)
        return false;
    if (!state.enabled)
        return true;
    lurrow::CSpectrumGraph& graph = m_pGraph->Graph();
    switch (id) {
    case ID_SPECTRUM_SELECT_CHANNELS:
        OnSetGraphchnSelect();
        break;
    case ID_SPECTRUM_ZOOM_IN_X:
        graph.ZoomXIn();
        break;
    case ID_SPECTRUM_ZOOM_OUT_X:
        graph.ZoomXOut();
        break;
    case ID_SPECTRUM_ZOOM_IN_Y:
        graph.ZoomYIn();
        break;
    case ID_SPECTRUM_ZOOM_OUT_Y:
        graph.ZoomYOut();
        break;
    case ID_SPECTRUM_AUTO_SCALE:
        graph.ToggleAutoScale();
        if (m_pAnalysisData != nullptr)
            m_pAnalysisData->m_DrawCommon.bAutoScale = graph.IsAutoScale() ? 1 : 0;
        break;
    case ID_SPECTRUM_DEFAULT_VIEW:
        graph.ResetView();
        break;
    case ID_SPECTRUM_SINGLE_CURSOR:
    case ID_SPECTRUM_CURSOR_SWITCH:
    case ID_SPECTRUM_DOUBLE_CURSOR:
    case ID_SPECTRUM_PEAK_CURSOR: {
        const int mode = id == ID_SPECTRUM_CURSOR_SWITCH ? 1 : id - ID_SPECTRUM_SINGLE_CURSOR + 1;
        graph.SetCursorMode(mode);
        if (m_pAnalysisData != nullptr)
            m_pAnalysisData->m_ViewInfo.nCursorMode = graph.GetCursorMode();
        break;
    }
    case ID_SPECTRUM_EXPORT_DATA:
        OnExportData();
        break;
    case ID_SPECTRUM_COPY_BITMAP:
        OnCopyToClipboard();
        break;
    default:
        return m_pDocument->OnCommand(id);
    }
    m_pGraph->update();
    return true;
}

QMenu* CFFTSpectrumView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    const auto add = [this](QMenu* to, int id, const char* text, bool radio = false) {
        QAction* action = to->addAction(QString::fromUtf8(text));
        const SpectrumCommandState state = QueryCommand(id);
        action->setData(id);
        action->setEnabled(state.enabled);
        action->setCheckable(radio || state.checked);
        action->setChecked(state.checked);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    add(menu, ID_SPECTRUM_SELECT_CHANNELS, "通道选择");
    QMenu* cursors = menu->addMenu(QStringLiteral("光标"));
    add(cursors, ID_SPECTRUM_SINGLE_CURSOR, "单光标", true);
    add(cursors, ID_SPECTRUM_DOUBLE_CURSOR, "双光标", true);
    add(cursors, ID_SPECTRUM_PEAK_CURSOR, "峰值光标", true);
    menu->addSeparator();
    add(menu, ID_SPECTRUM_EXPORT_DATA, "数据输出(&E)");
    // The graph's own commands, reachable from the window itself.
    menu->addSeparator();
    add(menu, ID_SPECTRUM_COPY_BITMAP, "复制位图(&C)");
    menu->addSeparator();
    add(menu, ID_SPECTRUM_ZOOM_IN_X, "横向放大(&H)");
    add(menu, ID_SPECTRUM_ZOOM_OUT_X, "横向缩小(&X)");
    add(menu, ID_SPECTRUM_ZOOM_IN_Y, "纵向放大(&V)");
    add(menu, ID_SPECTRUM_ZOOM_OUT_Y, "纵向缩小(&D)");
    add(menu, ID_SPECTRUM_AUTO_SCALE, "自动刻度(&A)");
    add(menu, ID_SPECTRUM_DEFAULT_VIEW, "默认状态");
    menu->addSeparator();
    add(menu, ID_SPECTRUM_PREV_BLOCK, "上一块数据(&A)");
    add(menu, ID_SPECTRUM_NEXT_BLOCK, "下一块数据(&B)");
    return menu;
}

void CFFTSpectrumView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CFFTSpectrumView::keyPressEvent(QKeyEvent* event) {
    // Shift, Ctrl, paging and the arrows belong to the graph.
    m_pGraph->setFocus();
    if (!m_pGraph->HandleKey(event, true))
        QWidget::keyPressEvent(event);
}

void CFFTSpectrumView::keyReleaseEvent(QKeyEvent* event) {
    if (!m_pGraph->HandleKey(event, false))
        QWidget::keyReleaseEvent(event);
}
