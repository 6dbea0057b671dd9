// The storage-rule dialog: glue between its controls and CStorageRuleEdit.
#include "panels/data/DlgStorageRule.h"

#include "model/AppSettings.h"
#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int kItemHeight = 19;
constexpr int kBrowseWidth = 24;

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

QCheckBox* Check(const char* text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(name);
    return box;
}

QComboBox* Combo(const char* name, std::initializer_list<const char*> items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (const char* item : items)
        combo->addItem(QString::fromUtf8(item));
    return combo;
}

QLineEdit* Edit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CDlgStorageRule::CDlgStorageRule(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("规则设置"));
    BuildControls();
}

void CDlgStorageRule::SetStorageRule(const StorageRuleSettings& rule) {
    m_edit = CStorageRuleEdit(rule);
}

void CDlgStorageRule::BuildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* naming = new QGroupBox(QString::fromUtf8("命名规则"), this);
    auto* grid = new QGridLayout(naming);
    m_pPrefix = Edit("prefix", naming);
    m_pPrefix->setMaxLength(STORAGE_RULE_PREFIX_LENGTH + 1);
    m_pDate = Check("日期存储", "dateOn", naming);
    m_pDateFormat = Combo(
        "dateFormat", {"yyyy_mm_dd", "yyyymmdd", "mm_dd_yyyy", "mmddyyyy", "dd_mm_yyyy", "ddmmyyyy"}, naming);
    m_pTime = Check("时间存储", "timeOn", naming);
    m_pTimeFormat = Combo("timeFormat", {"hhmmss", "hh_mm_ss", "ssmmhh", "ss_mm_hh"}, naming);
    m_pNumber = Check("序号存储", "numberOn", naming);
    m_pStartNumber = Edit("startNumber", naming);
    m_pExample = new QLabel(naming);
    m_pExample->setObjectName("example");
    m_pAutoName = Check("自动命名项目名称", "autoName", naming);
    grid->addWidget(new QLabel(QString::fromUtf8("前缀"), naming), 0, 0);
    grid->addWidget(m_pPrefix, 0, 1);
    grid->addWidget(m_pDate, 1, 0);
    grid->addWidget(m_pDateFormat, 1, 1);
    grid->addWidget(m_pTime, 2, 0);
    grid->addWidget(m_pTimeFormat, 2, 1);
    grid->addWidget(m_pNumber, 3, 0);
    grid->addWidget(m_pStartNumber, 3, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("示例："), naming), 4, 0);
    grid->addWidget(m_pExample, 4, 1);
    grid->addWidget(m_pAutoName, 5, 0, 1, 2);
    layout->addWidget(naming);

    auto* split = new QHBoxLayout;
    m_pSplit = Check("设定生成文件约", "splitOn", this);
    m_pSplitSize = Edit("splitSize", this);
    m_pSplitUnit = Combo("splitUnit", {"MB", "小时", "分钟"}, this);
    split->addWidget(m_pSplit);
    split->addWidget(m_pSplitSize);
    split->addWidget(m_pSplitUnit);
    layout->addLayout(split);

    auto* paths = new QGroupBox(QString::fromUtf8("项目规则"), this);
    auto* pathLayout = new QHBoxLayout(paths);
    m_pList = new QListWidget(paths);
    m_pList->setObjectName("paths");
    m_pItemEditor = Edit("pathEditor", m_pList->viewport());
    m_pBrowse = Button("...", "browse", m_pList->viewport());
    pathLayout->addWidget(m_pList);
    auto* buttons = new QVBoxLayout;
    QPushButton* add = Button("新建", "newPath", paths);
    QPushButton* remove = Button("删除", "deletePath", paths);
    QPushButton* up = Button("上移", "upPath", paths);
    QPushButton* down = Button("下移", "downPath", paths);
    for (QPushButton* b : {add, remove, up, down})
        buttons->addWidget(b);
    buttons->addStretch();
    pathLayout->addLayout(buttons);
    layout->addWidget(paths);

    auto* trigger = new QHBoxLayout;
    m_pTrigger = Check("触发存储", "triggerOn", this);
    m_pTriggerChannel = Combo("triggerChannel", {}, this);
    m_pThreshold = Edit("threshold", this);
    trigger->addWidget(m_pTrigger);
    trigger->addWidget(new QLabel(QString::fromUtf8("触发通道"), this));
    trigger->addWidget(m_pTriggerChannel);
    trigger->addWidget(new QLabel(QString::fromUtf8("阀值"), this));
    trigger->addWidget(m_pThreshold);
    layout->addLayout(trigger);

    auto* closing = new QHBoxLayout;
    closing->addStretch();
    QPushButton* ok = Button("确定", "ok", this);
    QPushButton* cancel = Button("取消", "cancel", this);
    closing->addWidget(ok);
    closing->addWidget(cancel);
    layout->addLayout(closing);
    connect(ok, &QPushButton::clicked, this, &CDlgStorageRule::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgStorageRule::reject);

    const auto namePart = [this](QCheckBox* box, StorageNamePart part) {
        connect(box, &QCheckBox::clicked, this, [this, part](bool checked) {
            m_edit.ClickNamePart(part, checked);
            ShowNameParts();
            ShowExample();
        });
    };
    namePart(m_pDate, kNameDate);
    namePart(m_pTime, kNameTime);
    namePart(m_pNumber, kNameNumber);
    connect(m_pPrefix, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString shown = Qs(m_edit.SetPrefixText(text.toStdString()));
        if (shown != text)
            m_pPrefix->setText(shown);
        ShowExample();
    });
    connect(m_pStartNumber, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_edit.SetNumberText(text.toStdString());
        ShowExample();
    });
    connect(m_pDateFormat, &QComboBox::activated, this, [this](int index) {
        m_edit.SetDateFormat(index);
        ShowExample();
    });
    connect(m_pTimeFormat, &QComboBox::activated, this, [this](int index) {
        m_edit.SetTimeFormat(index);
        ShowExample();
    });
    connect(m_pAutoName, &QCheckBox::clicked, this, [this](bool on) { m_edit.SetAutoName(on); });
    connect(m_pSplit, &QCheckBox::clicked, this, [this](bool on) {
        m_edit.SetSplitOn(on);
        m_pSplitSize->setEnabled(on);
        m_pSplitUnit->setEnabled(on);
    });
    connect(m_pSplitSize, &QLineEdit::editingFinished, this, [this] {
        const std::string refusal = m_edit.SetSplitSizeText(m_pSplitSize->text().toStdString());
        if (!refusal.empty()) {
            m_pSplitSize->setText(QString::number(m_edit.Rule().StoreValue));
            Warn(refusal);
        }
    });
    connect(m_pSplitUnit, &QComboBox::activated, this, [this](int unit) {
        const std::string refusal = m_edit.SetSplitUnit(unit);
        if (!refusal.empty()) {
            m_pSplitUnit->setCurrentIndex(m_edit.Rule().StoreType);
            Warn(refusal);
        }
    });

    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) {
        m_edit.SelectItem(row);
        PlaceEditor();
    });
    connect(m_pItemEditor, &QLineEdit::editingFinished, this, &CDlgStorageRule::CommitEditor);
    connect(m_pItemEditor, &QLineEdit::textEdited, this, [this] { m_edit.BeginEdit(); });
    connect(m_pBrowse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(
            this, QString::fromUtf8("请选择工程存放目录"), QDir::currentPath(), QFileDialog::ShowDirsOnly);
        if (!folder.isEmpty()) {
            m_edit.BeginEdit();
            m_pItemEditor->setText(folder);
            m_pItemEditor->setFocus();
        }
    });
    const auto listButton = [this](QPushButton* button, void (CStorageRuleEdit::*op)()) {
        connect(button, &QPushButton::clicked, this, [this, op] {
            (m_edit.*op)();
            ShowList();
        });
    };
    listButton(add, &CStorageRuleEdit::NewItem);
    listButton(remove, &CStorageRuleEdit::DeleteItem);
    listButton(up, &CStorageRuleEdit::MoveUp);
    listButton(down, &CStorageRuleEdit::MoveDown);
}

void CDlgStorageRule::OnInitDialog() {
    const StorageRuleSettings& rule = m_edit.Rule();
    m_pPrefix->setText(Qs(StorageProjectName(rule)));
    ShowNameParts();
    m_pStartNumber->setText(Qs(m_edit.NumberText()));
    m_pDateFormat->setCurrentIndex(rule.iDataIndex);
    m_pTimeFormat->setCurrentIndex(rule.iTimeIndex);
    ShowExample();
    m_pAutoName->setChecked(rule.bAutoName != 0);
    m_pSplit->setChecked(rule.bSetSave != 0);
    m_pSplitSize->setText(QString::number(rule.StoreValue));
    m_pSplitUnit->setCurrentIndex(rule.StoreType);
    m_pSplitSize->setEnabled(rule.bSetSave != 0);
    m_pSplitUnit->setEnabled(rule.bSetSave != 0);
    ShowList();

    m_pTrigger->setChecked(rule.bTrigSave != 0);
    m_pTriggerChannel->clear();
    for (int channel : m_triggerChannels) {
        m_pTriggerChannel->addItem(Qs(FormatChannelName(channel)), channel);
        if (channel == rule.nTrigChan)
            m_pTriggerChannel->setCurrentIndex(m_pTriggerChannel->count() - 1);
    }
    if (rule.nTrigChan < 0 || m_pTriggerChannel->findData(rule.nTrigChan) < 0)
        m_pTriggerChannel->setCurrentIndex(-1);
    m_pThreshold->setText(QString::asprintf("%.3f", double(rule.fTrigValue)));
    const bool continuous = m_sampleSettings.nSampleMode == SAMPLE_MODE_CONTINUOUS;
    for (QWidget* w : {static_cast<QWidget*>(m_pTrigger), static_cast<QWidget*>(m_pTriggerChannel),
                       static_cast<QWidget*>(m_pThreshold)})
        w->setEnabled(continuous);
}

int CDlgStorageRule::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgStorageRule::ShowNameParts() {
    m_pDate->setChecked(m_edit.IsNamePartOn(kNameDate));
    m_pTime->setChecked(m_edit.IsNamePartOn(kNameTime));
    m_pNumber->setChecked(m_edit.IsNamePartOn(kNameNumber));
}

void CDlgStorageRule::ShowExample() {
    m_pExample->setText(Qs(m_edit.Example(platform::NowLocal())));
}

void CDlgStorageRule::ShowList() {
    const QSignalBlocker blocker(m_pList);
    m_pList->clear();
    for (const std::string& item : m_edit.Items()) {
        auto* entry = new QListWidgetItem(Qs(item), m_pList);
        entry->setSizeHint(QSize(0, kItemHeight));
    }
    m_pList->setCurrentRow(m_edit.Current());
    PlaceEditor();
}

void CDlgStorageRule::PlaceEditor() {
    const QListWidgetItem* item = m_pList->item(m_edit.Current());
    if (item == nullptr) {
        m_pItemEditor->hide();
        m_pBrowse->hide();
        return;
    }
    const QRect rect = m_pList->visualItemRect(item);
    m_pItemEditor->setGeometry(rect.left(), rect.top(), std::max(rect.width() - kBrowseWidth, 0),
                               rect.height());
    m_pBrowse->setGeometry(rect.right() - kBrowseWidth + 1, rect.top(), kBrowseWidth, rect.height());
    m_pItemEditor->setText(item->text());
    m_pItemEditor->show();
    m_pBrowse->show();
}

void CDlgStorageRule::CommitEditor() {
    if (!m_edit.IsEditing())
        return;
    m_edit.CommitEdit(m_pItemEditor->text().toStdString());
    ShowList();
}

void CDlgStorageRule::accept() {
    CommitEditor();
    const QVariant chosen = m_pTriggerChannel->currentData();
    const int channel = chosen.isValid() ? chosen.toInt() : -1;
    const std::string refusal =
        m_edit.Accept(m_pTrigger->isChecked(), channel, m_pThreshold->text().toStdString());
    if (!refusal.empty()) {
        Warn(refusal);
        return;
    }
    QDialog::accept();
}

void CDlgStorageRule::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CDlgStorageRule::Warn(const std::string& text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}
