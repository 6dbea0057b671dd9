// The table-properties dialog ("表格属性"): description and unit rows,
// decimals (a default and one per measurement type), history rows, the
// chosen unit, and whether every table view takes the result.
#pragma once

#include <QDialog>

#include <map>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

class CDlgTableProperty : public QDialog {
    Q_OBJECT
public:
    // units: the online units in case-list order; measureTypes: the types the
    // instrument offers.
    CDlgTableProperty(const std::vector<int>& units, const std::vector<int>& measureTypes,
                      QWidget* parent = nullptr);

    int m_nCaseNumber = 0;
    bool m_bShowDescrib = false;
    int m_nDecimals = 0;
    bool m_bShowUnit = false;
    int m_nRows = 256;
    bool m_bPagedByUnit = false;
    bool m_bApplyToAll = false;
    std::map<int, int> m_DecimalsByType;

    // Sets the controls from the members; exec() does it first.
    void OnInitDialog();
    int exec() override;

    QComboBox* UnitCombo() const { return m_unit; }
    QComboBox* TypeCombo() const { return m_type; }
    QLineEdit* DecimalsEdit() const { return m_decimals; }
    QLineEdit* RowsEdit() const { return m_rows; }
    QCheckBox* DescribCheck() const { return m_describ; }
    QCheckBox* UnitCheck() const { return m_showUnit; }
    QCheckBox* ApplyAllCheck() const { return m_applyAll; }
    QGroupBox* UnitGroup() const { return m_unitGroup; }

public slots:
    void accept() override;
    // The decimals field was left: its value is kept for the chosen type.
    void OnDecimalsLeft();

private:
    void OnTypeChosen(int index);
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::vector<int> m_units;
    std::vector<int> m_measureTypes;
    QComboBox* m_unit = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_decimals = nullptr;
    QLineEdit* m_rows = nullptr;
    QCheckBox* m_describ = nullptr;
    QCheckBox* m_showUnit = nullptr;
    QCheckBox* m_applyAll = nullptr;
    QGroupBox* m_unitGroup = nullptr;
};
