// The grid with in-place editing by column kind: text, list, integer and
// decimal columns get an editor over the clicked cell, and a click on a
// heading edits the whole column at once.
#pragma once

#include "panels/channels/ExternGridEditors.h"
#include "widgets/MSFlexGrid.h"

#include <QStringList>

#include <vector>

class CMsExternGrid : public CMSFlexGrid {
    Q_OBJECT
public:
    explicit CMsExternGrid(QWidget* parent = nullptr);

    // Ends any open editor, then every column becomes read-only.
    void SetColumnCount(int count);
    void SetColumnEditKind(int column, int kind);
    void SetColumnChoices(int column, const QStringList& choices);

    // Opens the editor for the current cell and selection, as a click does.
    void OpenEditor();
    // Ends the open editor, committing unless it was cancelled.
    void CloseEditor();
    CExternGridEdit* GetEdit() { return m_pEdit; }
    CExternGridCombo* GetCombo() { return m_pCombo; }

signals:
    // A text or list column changed: row 0 when the whole column was set.
    void CellChanged(int row, int col);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Commit(int row, int col, const QString& text);
    void OnEditEnd();
    void OnComboEnd();
    int KindOf(int col) const;

    CExternGridEdit* m_pEdit;
    CExternGridCombo* m_pCombo;
    std::vector<int> m_kinds; // empty until SetColumnCount
    std::vector<QStringList> m_choices;
};
