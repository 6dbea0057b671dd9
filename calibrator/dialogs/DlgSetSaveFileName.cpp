// The time and number parts exclude each other: ticking one clears the
// other. The example is the name a result saved now would get.
#include "calibrator/dialogs/DlgSetSaveFileName.h"

#include "calibrator/CalibrateFiles.h"
#include "calibrator/NamedWidget.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace {
constexpr int kMaxNameLength = 15;
}

CDlgSetSaveFileName::CDlgSetSaveFileName(DataFileOption& option, QWidget* parent)
    : QDialog(parent), m_option(option) {
    setWindowTitle("文件名设置");
    m_pName = Named(new QLineEdit(QString::fromStdString(option.FileName), this), "1037");
    m_pName->setMaxLength(kMaxNameLength);
    m_pDate = Named(new QCheckBox("日期存储", this), "1038");
    m_pTime = Named(new QCheckBox("时间存储", this), "1039");
    m_pNumber = Named(new QCheckBox("序号存储", this), "1040");
    m_pDateFormats = Named(new QComboBox(this), "1041");
    m_pDateFormats->addItems({"yyyy_mm_dd", "yyyymmdd", "mm_dd_yyyy", "mmddyyyy", "dd_mm_yyyy", "ddmmyyyy"});
    m_pTimeFormats = Named(new QComboBox(this), "1042");
    m_pTimeFormats->addItems({"hhmmss", "hh_mm_ss", "ssmmhh", "ss_mm_hh"});
    m_pStartNumber = Named(new QLineEdit(this), "1043");
    m_pStartNumber->setValidator(new QIntValidator(0, 9999, m_pStartNumber));
    m_pExample = Named(new QLabel(this), "1044");

    m_pDate->setChecked(option.DateStoring);
    m_pTime->setChecked(option.TimeStoring && !option.NumStoring);
    m_pNumber->setChecked(option.NumStoring);
    m_pDateFormats->setCurrentIndex(std::clamp(option.DateIndex, 0, 5));
    m_pTimeFormats->setCurrentIndex(std::clamp(option.TimeIndex, 0, 3));
    m_pStartNumber->setText(QString::fromStdString(platform::Format("%04d", std::max(option.StartNum, 0))));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("文件名称", this), 0, 0);
    layout->addWidget(m_pName, 0, 1);
    layout->addWidget(m_pDate, 1, 0);
    layout->addWidget(m_pDateFormats, 1, 1);
    layout->addWidget(m_pTime, 2, 0);
    layout->addWidget(m_pTimeFormats, 2, 1);
    layout->addWidget(m_pNumber, 3, 0);
    layout->addWidget(m_pStartNumber, 3, 1);
    layout->addWidget(new QLabel("例子：", this), 4, 0);
    layout->addWidget(m_pExample, 4, 1);
    layout->addWidget(buttons, 5, 0, 1, 2);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pTime, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_pNumber->setChecked(false);
        UpdateControls();
    });
    connect(m_pNumber, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_pTime->setChecked(false);
        UpdateControls();
    });
    connect(m_pDate, &QCheckBox::toggled, this, &CDlgSetSaveFileName::UpdateControls);
    connect(m_pDateFormats, &QComboBox::currentIndexChanged, this, &CDlgSetSaveFileName::UpdateControls);
    connect(m_pTimeFormats, &QComboBox::currentIndexChanged, this, &CDlgSetSaveFileName::UpdateControls);
    connect(m_pName, &QLineEdit::textChanged, this, &CDlgSetSaveFileName::UpdateControls);
    connect(m_pStartNumber, &QLineEdit::textChanged, this, &CDlgSetSaveFileName::UpdateControls);
    UpdateControls();
}

DataFileOption CDlgSetSaveFileName::Chosen() const {
    DataFileOption chosen = m_option;
    chosen.FileName = m_pName->text().toStdString();
    chosen.DateStoring = m_pDate->isChecked();
    chosen.TimeStoring = m_pTime->isChecked();
    chosen.NumStoring = m_pNumber->isChecked();
    chosen.DateIndex = m_pDateFormats->currentIndex();
    chosen.TimeIndex = m_pTimeFormats->currentIndex();
    chosen.StartNum = m_pStartNumber->text().toInt();
    return chosen;
}

void CDlgSetSaveFileName::UpdateControls() {
    m_pDateFormats->setEnabled(m_pDate->isChecked());
    m_pTimeFormats->setEnabled(m_pTime->isChecked());
    m_pStartNumber->setEnabled(m_pNumber->isChecked());
    DataFileOption example = Chosen();
    example.Multifile = true;
    const platform::LocalDateTime now = platform::NowLocal();
    const std::string base = example.FileName.empty() ? ResultDateTimeText(now) : example.FileName;
    m_pExample->setText(QString::fromStdString(base + ResultFileSuffix(example, now)));
}

void CDlgSetSaveFileName::accept() {
    m_option = Chosen();
    QDialog::accept();
}
