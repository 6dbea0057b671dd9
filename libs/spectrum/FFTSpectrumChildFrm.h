// The child frame of a spectrum window: an MDI child that owns the window's
// document and form view, and saves and restores its placement in the
// layout file.
#pragma once

#include "libs/spectrum/FFTSpectrumDoc.h"

#include <QMdiSubWindow>

#include <memory>

class CFFTSpectrumView;
class Lurrow;

class LURROW_API CFFTSpectrumChildFrm : public QMdiSubWindow {
    Q_OBJECT
public:
    // A new window with its document and view; nullptr when 16 spectrum
    // views exist already (the window is not created).
    static CFFTSpectrumChildFrm* Create(QWidget* parent = nullptr);
    ~CFFTSpectrumChildFrm() override;

    void SetGraphInterface(Lurrow* graph) { m_pGraphInterface = graph; }
    Lurrow* GetGraphInterface() const { return m_pGraphInterface; }
    CFFTSpectrumDoc* GetDocument() const { return m_pDocument.get(); }
    CFFTSpectrumView* GetView() const { return m_pView; }

    void SavePlacement(const std::string& file, int index) const;
    void ReadPlacement(const std::string& file, int index);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit CFFTSpectrumChildFrm(QWidget* parent);

    Lurrow* m_pGraphInterface = nullptr;
    std::unique_ptr<CFFTSpectrumDoc> m_pDocument;
    CFFTSpectrumView* m_pView = nullptr;
};
