// The welding residual-stress dialog ("焊接残余应力"): up to 128 groups of
// three hole-drilling gauges with their coefficients, kept in the ".rsc"
// parameter file, the result computation over the stored run and, from the
// list's popup menu, its eccentricity correction for one group. Its rules
// live in CResidualGroupEdit.
#pragma once

#include "datafiles/ResidualGroupEdit.h"
#include "panels/data/ResultGroupDialog.h"

class QRadioButton;

class CDlgResidualStress : public CResultGroupDialog {
    Q_OBJECT
public:
    explicit CDlgResidualStress(QWidget* parent = nullptr);

    const std::vector<ResidualStressGroupRecord>& GetGroups() const { return m_edit.Groups(); }
    void OnInitDialog() override;
    // "偏心修正" of the list's popup menu: the selected group corrected for an offset hole.
    void OnEccentricity();

protected:
    int GroupCount() const override { return m_edit.Count(); }
    bool CanAdd() const override;
    void OnAdd() override;
    void OnModify() override;
    void DeleteSelected() override;
    void OnCompute() override;
    bool WriteGroups(const std::string& path) const override;
    bool ImportGroups(const std::string& path) override;
    void ShowRow(int index) override;
    void ShowLists() override;
    void RenameSelected(const std::string& name) override { m_edit.SetName(m_nSelectedRow - 1, name); }

private:
    enum Edit { EditA, EditB, EditE0, EditRadius, EditR1, EditR2, EditWidth, EditLength, EditS, EditCount };

    void BuildControls();
    void SetKnownMode(bool known);
    ResidualGroupInput Input() const;
    void OnListClick();
    void OnListMouseUp(Qt::MouseButton button);
    void RewriteEdit(int edit);

    CResidualGroupEdit m_edit;
    bool m_bCombosFilled = false;
    bool m_bEccentric = false; // the last results carry the eccentricity correction

    std::vector<QComboBox*> m_gauges;
    QLineEdit* m_edits[EditCount] = {};
    QRadioButton* m_pKnown = nullptr;
    QRadioButton* m_pUnknown = nullptr;
    CMSFlexGrid* m_pList = nullptr;
};
