// The property sheet "棒图属性" of the bar view: one colour page with the
// bars' and texts' colours, a preview bar and the refresh rate. Apply sends
// the colours to the owner, or with "应用于同类型窗口" to every bar view.
#pragma once

#include "views/bar/BarViewModel.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;

class CPropSheetBarGraph : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSwatches = 10;

    explicit CPropSheetBarGraph(QWidget* parent = nullptr);

    // The view's attributes; a refresh rate outside 1..100 tenths becomes 10.
    void SetColours(const BarColours& colours);
    const BarColours& Colours() const { return m_colours; }
    // Apply: the colours go to the owner or every bar view.
    void Apply();
    void Ok();
    bool ApplyToAll() const;

    std::function<void(CPropSheetBarGraph&, bool toAll)> onApply;
    // The colour dialog; tests answer it.
    std::function<bool(COLORREF& colour)> pickColour;

    // Swatches in page order: 背景, 边框, 当前值前景, 刻度, 标杆, 最大值前景,
    // 通道标记, 最大值, 当前值, 窗口背景.
    void ClickColour(int index);
    QComboBox* RefreshRate() const { return m_refresh; }
    // Leaving "刷新频率": the text in tenths, clamped with a warning.
    void TakeRefreshText();
    QCheckBox* ApplyToAllBox() const { return m_applyAll; }
    QPushButton* ApplyButton() const { return m_applyButton; }

private:
    COLORREF& Colour(int index);
    void ShowColours();

    BarColours m_colours;
    std::array<QPushButton*, kSwatches> m_swatches{};
    QWidget* m_preview = nullptr;
    QComboBox* m_refresh = nullptr;
    QCheckBox* m_applyAll = nullptr;
    QPushButton* m_applyButton = nullptr;
};
