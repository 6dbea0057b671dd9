// The rosette settings dialog ("应变花设置"): up to 128 rosette groups with
// their gauges and alarm settings, kept in the ".sfc" parameter file, and
// the rosette computation over the stored run. Its rules live in
// CRosetteGroupEdit.
#pragma once

#include "datafiles/RosetteGroupEdit.h"
#include "panels/data/ResultGroupDialog.h"

class CGaugePicture;
class QLabel;

class CDlgStrainRosette : public CResultGroupDialog {
    Q_OBJECT
public:
    explicit CDlgStrainRosette(QWidget* parent = nullptr);

    const std::vector<RosetteGroupRecord>& GetGroups() const { return m_edit.Groups(); }
    void OnInitDialog() override;

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
    void BuildControls();
    void LayOutKind(int kind);
    std::vector<int> ChosenGauges() const;
    void HideEditors();
    void OnRosetteListClick();
    void OnAlarmListClick();
    void OnAlarmListDblClick();
    void CommitLimit();
    void CommitChoice(int index);

    CRosetteGroupEdit m_edit;
    bool m_bCombosFilled = false;
    int m_nAlarmRow = 0, m_nAlarmCol = 0; // the alarm cell being edited

    QComboBox* m_pKind = nullptr;
    CGaugePicture* m_pPicture = nullptr;
    std::vector<QComboBox*> m_gauges;
    std::vector<QLabel*> m_angleLabels;
    CMSFlexGrid* m_pRosetteList = nullptr;
    CMSFlexGrid* m_pAlarmList = nullptr;
    QLineEdit* m_pLimitEditor = nullptr;
    QComboBox* m_pChooser = nullptr;
};
