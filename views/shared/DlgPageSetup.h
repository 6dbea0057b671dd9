// The page-setup dialog ("页面设置"): margins, header and footer of printed
// views, checked against the default printer's paper, with a live preview.
#pragma once

#include "views/shared/PageSetupValues.h"

#include <QDialog>

class QLabel;
class QLineEdit;

class CDlgPageSetup : public QDialog {
    Q_OBJECT
public:
    // Fields in the order the owner hands them over.
    enum Field { FooterText, FooterHeight, HeaderText, HeaderHeight, Bottom, Left, Right, Top, FieldCount };

    explicit CDlgPageSetup(QWidget* parent = nullptr);

    void SetValues(const PageSetupValues& values);
    const PageSetupValues& GetValues() const { return m_values; }
    // The paper the checks use; the default printer's unless set.
    void SetPaper(const PaperInfo& paper);
    static PaperInfo DefaultPrinterPaper();

    QLineEdit* FieldEdit(Field field) const { return m_fields[field]; }
    PagePreview Preview() const;

public slots:
    void accept() override;

private:
    // Reads every field with its range check; false (after the range
    // message) when one is out of range.
    bool ReadFields();
    // The paper check; false after its message.
    bool Validate();
    void OnFieldEdited(Field field);

    PageSetupValues m_values;
    PaperInfo m_paper;
    QLineEdit* m_fields[FieldCount] = {};
    QLabel* m_pageWidth = nullptr;
    QLabel* m_pageHeight = nullptr;
    QWidget* m_preview = nullptr;
    bool m_bFilling = false;
};
