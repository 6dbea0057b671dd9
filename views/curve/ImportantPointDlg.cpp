// The important-point watch window.
#include "views/curve/ImportantPointDlg.h"

#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/ChannelRecords.h"
#include "platform/Text.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSlots = 4096;

// The frame position of a channel; -1 when it is not in the frame.
int FramePosition(int channel) {
    if (!IsValidChannelId(channel))
        return -1;
    const int position = g_ChannelPos[channel];
    return position >= 0 && position < kSlots ? position : -1;
}

} // namespace

CImportantPointDlg::CImportantPointDlg(QWidget* parent) : QDialog(parent), m_slots(kSlots, kNoValue) {
    setWindowTitle(QString::fromUtf8("采样时重要测点观察"));
    auto* layout = new QVBoxLayout(this);
    m_pGrid = new QTableWidget(kPoints, 3, this);
    m_pGrid->setHorizontalHeaderLabels(
        {QString::fromUtf8("测点"), QString::fromUtf8("测点描述"), QString::fromUtf8("当前值")});
    m_pGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < kPoints; ++row)
        for (int column = 0; column < 3; ++column)
            m_pGrid->setItem(row, column, new QTableWidgetItem);
    layout->addWidget(m_pGrid);
    m_pEditor = new QComboBox(m_pGrid->viewport());
    m_pEditor->hide();
    auto* quit = new QPushButton(QString::fromUtf8("退出(&C)"), this);
    layout->addWidget(quit);
    connect(quit, &QPushButton::clicked, this, &QDialog::close);
    connect(m_pGrid, &QTableWidget::cellClicked, this, &CImportantPointDlg::OpenEditor);
    connect(m_pEditor, &QComboBox::activated, this, [this](int index) {
        if (m_nEditRow >= 0)
            ChooseChannel(m_nEditRow, m_pEditor->itemData(index).toInt());
        m_pEditor->hide();
    });
}

void CImportantPointDlg::SetChannels(std::array<int, kPoints>* channels) {
    m_pChannels = channels;
    for (int row = 0; row < kPoints; ++row)
        ShowRow(row);
}

void CImportantPointDlg::UpdateValues(const float* values, int caseCount) {
    if (values != nullptr) {
        const int count = std::clamp(caseCount, 0, kSlots / 16) * 16;
        std::copy(values, values + count, m_slots.begin());
    }
    for (int row = 0; row < kPoints; ++row)
        ShowRow(row);
}

void CImportantPointDlg::ChooseChannel(int row, int channel) {
    if (m_pChannels == nullptr || row < 0 || row >= kPoints)
        return;
    (*m_pChannels)[std::size_t(row)] = channel;
    ShowRow(row);
}

QString CImportantPointDlg::ValueText(int row) const {
    return m_pGrid->item(row, 2)->text();
}

void CImportantPointDlg::ShowRow(int row) {
    const int channel = m_pChannels != nullptr ? (*m_pChannels)[std::size_t(row)] : -1;
    const bool valid = IsValidChannelId(channel);
    m_pGrid->item(row, 0)->setText(valid ? QString::fromStdString(FormatChannelName(channel)) : QString());
    const ChannelParamRecord* record = valid ? &g_ChannelParams[channel] : nullptr;
    m_pGrid->item(row, 1)->setText(
        record != nullptr
            ? QString::fromStdString(platform::GbkToUtf8(std::string(
                  record->szDescription, strnlen(record->szDescription, sizeof record->szDescription))))
            : QString());
    const int position = FramePosition(channel);
    const float value = position >= 0 ? m_slots[std::size_t(position)] : kNoValue;
    char text[64] = {};
    if (value > kNoValue)
        std::snprintf(text, sizeof text, "%.3f", double(value));
    m_pGrid->item(row, 2)->setText(QString::fromLatin1(text));
}

void CImportantPointDlg::OpenEditor(int row, int column) {
    if (column > 1 || m_pChannels == nullptr)
        return;
    m_nEditRow = row;
    m_pEditor->clear();
    for (int i = 0; i < std::clamp(g_nChannelCount, 0, MAX_CHANNEL_COUNT); ++i) {
        m_pEditor->addItem(QString::fromStdString(FormatChannelName(g_ChannelList[i])), g_ChannelList[i]);
        if (g_ChannelList[i] == (*m_pChannels)[std::size_t(row)])
            m_pEditor->setCurrentIndex(i);
    }
    m_pEditor->setGeometry(m_pGrid->visualItemRect(m_pGrid->item(row, column)));
    m_pEditor->show();
    m_pEditor->setFocus();
}
