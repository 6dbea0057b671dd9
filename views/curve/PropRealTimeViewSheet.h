// The property sheet "图形属性" of the real-time curve view: colour, font,
// line-type, coordinate and option pages over one copy of the view's graph
// options and option block. Apply and OK store every page and hand the
// result to the owner view, or with "应用于同类型窗口" to every curve view.
#pragma once

#include "views/curve/CurveViewModel.h"
#include "views/curve/GraphSheetRules.h"
#include "views/shared/GraphDisplayOptions.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

class CPropRealTimeViewSheet : public QDialog {
    Q_OBJECT
public:
    // displayKind: the view's drawing mode (1 time, 2 XY, 3 distribution);
    // sampleMode: the current sampling mode (2 continuous enables the time axis).
    CPropRealTimeViewSheet(const CGraphDisplayOptions& options, const RealViewOption& option, int displayKind,
                           int sampleMode, QWidget* parent = nullptr);
    ~CPropRealTimeViewSheet() override;

    // Stores every page; false (nothing sent) when a page refuses.
    bool StorePages();
    // Apply: store and hand the result on.
    bool Apply();
    // OK: apply, then close.
    void Ok();

    const CGraphDisplayOptions& Record() const { return m_record; }
    const RealViewOption& Option() const { return m_option; }
    bool ApplyToAll() const;

    // The result goes to the owner (false) or to every curve view (true).
    std::function<void(CPropRealTimeViewSheet&, bool toAll)> onApply;
    // The colour dialog; tests answer it.
    std::function<bool(COLORREF& colour)> pickColour;

    // --- pages, for tests and the view ---
    QTabWidget* Tabs() const { return m_tabs; }
    QCheckBox* ApplyToAllBox() const { return m_applyAll; }
    QPushButton* ApplyButton() const { return m_applyButton; }
    // Colour page
    void ClickColour(int index); // 0..20 in record order
    // Font page
    void ChooseFontSlot(int slot);
    QComboBox* FontFace() const { return m_fontFace; }
    QComboBox* FontStyle() const { return m_fontStyle; }
    QComboBox* FontSize() const { return m_fontSize; }
    void RebuildCurrentFont();
    // Line-type page
    void ChooseLineEntry(int entry);
    QComboBox* LineStyle() const { return m_lineStyle; }
    QComboBox* LineWidth() const { return m_lineWidth; }
    // Coordinate page
    QLineEdit* CoordEdit(int index) const {
        return m_coordEdits[std::size_t(index)];
    } // Ymax, Ymin, Xmax, Xmin
    QSpinBox* XGrid() const { return m_xGrid; }
    QSpinBox* YGrid() const { return m_yGrid; }
    QRadioButton* ScaleButton(int type) const { return m_scaleButtons[std::size_t(type)]; }
    // Option page
    QCheckBox* OptionCheck(int field) const { return m_optionChecks[std::size_t(field)]; } // fields 0..7
    QSpinBox* GroupCount() const { return m_groups; }
    QLineEdit* PeakCount() const { return m_peaks; }

protected:
    // The history view's sheet: its ten colours, the Y axis only, and the
    // grid flag with the bands per page on the option page; Apply waits
    // for a change.
    struct HistoryPages {
        int nIsGrid = 1;
        int nBandsPerPage = 4;
    };
    CPropRealTimeViewSheet(const CGraphDisplayOptions& options, const HistoryPages& history,
                           QWidget* parent = nullptr);
    bool IsHistory() const { return m_bHistory; }
    HistoryPages m_history;
    QComboBox* m_bandCount = nullptr;
    QCheckBox* m_gridCheck = nullptr;

private:
    void Build();
    QWidget* MakeHistoryOptionPage();
    void MarkModifiedOnChanges();
    QWidget* MakeColourPage();
    QWidget* MakeFontPage();
    QWidget* MakeLinePage();
    QWidget* MakeCoordPage();
    QWidget* MakeOptionPage();
    void ShowSwatch(int index);
    void ShowFontSlot();
    void ShowLineEntry();
    void UpdateOptionEnabling();
    COLORREF& Colour(int index);

    bool m_bHistory = false;
    CGraphDisplayOptions m_record;
    RealViewOption m_option;
    int m_nDisplayKind;
    int m_nSampleMode;
    QTabWidget* m_tabs;
    QCheckBox* m_applyAll;
    QPushButton* m_applyButton;
    std::array<QPushButton*, 21> m_swatches{};
    QComboBox* m_curveChoice = nullptr;
    QPushButton* m_curveSwatch = nullptr;
    // Font page
    std::array<LOGFONT, kFontSlots> m_fonts{};
    int m_nFontSlot = 0;
    int m_nPixelsPerInch = 96;
    QComboBox* m_fontFace = nullptr;
    QComboBox* m_fontStyle = nullptr;
    QComboBox* m_fontSize = nullptr;
    QCheckBox* m_strike = nullptr;
    QCheckBox* m_underline = nullptr;
    QLabel* m_fontSample = nullptr;
    bool m_bShowingFont = false;
    // Line-type page
    std::array<LineTypeEntry, kLineTypeEntries> m_lines{};
    int m_nLineEntry = 0;
    QComboBox* m_lineStyle = nullptr;
    QComboBox* m_lineWidth = nullptr;
    QWidget* m_linePreview = nullptr;
    bool m_bShowingLine = false;
    // Coordinate page
    std::array<QLineEdit*, 4> m_coordEdits{};
    QSpinBox* m_xGrid = nullptr;
    QSpinBox* m_yGrid = nullptr;
    QComboBox* m_xPrecision = nullptr;
    QComboBox* m_yPrecision = nullptr;
    std::array<QRadioButton*, 3> m_scaleButtons{};
    QComboBox* m_yType = nullptr;
    QComboBox* m_xShowType = nullptr;
    // Option page
    std::array<QCheckBox*, 8> m_optionChecks{};
    QRadioButton* m_auto = nullptr;
    QRadioButton* m_manual = nullptr;
    QSpinBox* m_groups = nullptr;
    QLineEdit* m_peaks = nullptr;
};
