// The page-setup dialog.
#include "views/shared/DlgPageSetup.h"

#include "platform/MessageBox.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

class CPageSetupPreview : public QWidget {
public:
    explicit CPageSetupPreview(const CDlgPageSetup& dialog, const PageSetupValues& values, QWidget* parent)
        : QWidget(parent), m_dialog(dialog), m_values(values) {
        setMinimumSize(220, 300);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const PagePreview preview = m_dialog.Preview();
        if (!preview.bDrawn)
            return;
        QPainter painter(this);
        auto rect = [](const PreviewRect& r) { return QRectF(r.left, r.top, r.Width(), r.Height()); };
        painter.fillRect(rect(preview.page), Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(rect(preview.page));
        painter.drawRect(rect(preview.textArea));
        QFont font("黑体");
        font.setPixelSize(10);
        painter.setFont(font);
        const double left = preview.textArea.left;
        const double width = preview.textArea.Width();
        if (preview.bHeader)
            painter.drawText(QRectF(left, preview.page.top, width, preview.textArea.top - preview.page.top),
                             Qt::AlignCenter | Qt::TextSingleLine,
                             QString::fromStdString(m_values.strHeader));
        if (preview.bFooter)
            painter.drawText(QRectF(left, preview.page.bottom - 15, width, 15),
                             Qt::AlignCenter | Qt::TextSingleLine,
                             QString::fromStdString(m_values.strFooter));
    }

private:
    const CDlgPageSetup& m_dialog;
    const PageSetupValues& m_values;
};

QString Number(float value) {
    return QString::asprintf("%g", double(value));
}

} // namespace

CDlgPageSetup::CDlgPageSetup(QWidget* parent) : QDialog(parent), m_paper(DefaultPrinterPaper()) {
    setWindowTitle("页面设置");
    static const char* const labels[FieldCount] = {"页脚内容：", "页脚高度：", "页眉内容：", "页眉高度：",
                                                   "下：",       "左：",       "右：",       "上："};
    auto* form = new QFormLayout;
    for (int i = 0; i < FieldCount; ++i) {
        m_fields[i] = new QLineEdit(this);
        form->addRow(labels[i], m_fields[i]);
        const Field field = Field(i);
        connect(m_fields[i], &QLineEdit::textEdited, this, [this, field] { OnFieldEdited(field); });
    }
    m_pageWidth = new QLabel(this);
    m_pageHeight = new QLabel(this);
    form->addRow("页宽:", m_pageWidth);
    form->addRow("页高:", m_pageHeight);
    m_preview = new CPageSetupPreview(*this, m_values, this);
    auto* ok = new QPushButton("确定", this);
    auto* cancel = new QPushButton("取消", this);
    connect(ok, &QPushButton::clicked, this, &CDlgPageSetup::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgPageSetup::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* top = new QHBoxLayout;
    top->addLayout(form);
    top->addWidget(m_preview, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    SetPaper(m_paper);
    SetValues(m_values);
}

PaperInfo CDlgPageSetup::DefaultPrinterPaper() {
    PaperInfo paper;
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return paper;
    QPrinter printer(info);
    const QSizeF size = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    paper.bHasPrinter = true;
    paper.bLandscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    paper.fWidthCm = size.width() * 0.1;
    paper.fHeightCm = size.height() * 0.1;
    return paper;
}

void CDlgPageSetup::SetPaper(const PaperInfo& paper) {
    m_paper = paper;
    m_pageWidth->setText(QString::asprintf("%.2f", paper.bHasPrinter ? paper.fWidthCm : 0.0));
    m_pageHeight->setText(QString::asprintf("%.2f", paper.bHasPrinter ? paper.fHeightCm : 0.0));
    m_preview->update();
}

void CDlgPageSetup::SetValues(const PageSetupValues& values) {
    m_values = values;
    m_bFilling = true;
    m_fields[FooterText]->setText(QString::fromStdString(values.strFooter));
    m_fields[FooterHeight]->setText(Number(values.fFooterHeight));
    m_fields[HeaderText]->setText(QString::fromStdString(values.strHeader));
    m_fields[HeaderHeight]->setText(Number(values.fHeaderHeight));
    m_fields[Bottom]->setText(Number(values.fBottomMargin));
    m_fields[Left]->setText(Number(values.fLeftMargin));
    m_fields[Right]->setText(Number(values.fRightMargin));
    m_fields[Top]->setText(Number(values.fTopMargin));
    m_bFilling = false;
    m_preview->update();
}

PagePreview CDlgPageSetup::Preview() const {
    return ComputePagePreview(m_values, m_paper, m_preview->width(), m_preview->height());
}

bool CDlgPageSetup::ReadFields() {
    PageSetupValues read = m_values;
    for (Field text : {FooterText, HeaderText}) {
        const std::string value = m_fields[text]->text().toStdString();
        if (!IsPageTextInRange(value)) {
            platform::MessageBox("请输入不超过 50 个字符。", windowTitle().toStdString(), platform::MB_OK);
            m_fields[text]->setFocus();
            return false;
        }
        (text == FooterText ? read.strFooter : read.strHeader) = value;
    }
    float* targets[FieldCount] = {
        nullptr,           &read.fFooterHeight, nullptr,         &read.fHeaderHeight, &read.fBottomMargin,
        &read.fLeftMargin, &read.fRightMargin,  &read.fTopMargin};
    for (int i = 0; i < FieldCount; ++i) {
        if (!targets[i])
            continue;
        bool ok = false;
        const float value = m_fields[i]->text().trimmed().toFloat(&ok);
        if (!ok || !IsPageLengthInRange(value)) {
            platform::MessageBox("请输入一个介于 0 和 10 之间的数。", windowTitle().toStdString(),
                                 platform::MB_OK);
            m_fields[i]->setFocus();
            return false;
        }
        *targets[i] = value;
    }
    m_values = read;
    return true;
}

bool CDlgPageSetup::Validate() {
    const std::string message = CheckPageSetup(m_values, m_paper);
    if (message.empty())
        return true;
    platform::MessageBox(message, windowTitle().toStdString(),
                         platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return false;
}

void CDlgPageSetup::OnFieldEdited(Field field) {
    if (m_bFilling)
        return;
    const bool numeric = field != FooterText && field != HeaderText;
    if (numeric && m_fields[field]->text().isEmpty())
        return;
    if (ReadFields())
        Validate();
    m_preview->update();
}

void CDlgPageSetup::accept() {
    if (ReadFields() && Validate())
        QDialog::accept();
}
