#pragma once

#include "app/DocumentWindow.h"

namespace varentis {

class TSDIAppForm;

// The main window as the document controller sees it: its dialogs are the window's own
// message boxes and file dialogs.
class MainDocumentWindow final : public DocumentWindow {
public:
    explicit MainDocumentWindow(TSDIAppForm& form) : form_(form) {}

    PointStore& store() override;
    ControlAccess& controls() override;
    const GraphScale& scale() const override;
    double periodSeconds() const override;
    void setCaption(const QString& caption) override;
    QString status() const override;
    void setStatus(const QString& text) override;
    void showError(const QString& message) override;
    bool runInProgress() const override;
    void stopRun() override;
    void redraw() override;
    void applyPeriod() override;
    void recomputeScaling() override;
    void showSignalUnit() override;
    Answer ask(const QString& question) override;
    RecoveryAnswer askRecovery(const QString& question) override;
    std::optional<QString> chooseSaveFile(const QString& suggested) override;
    std::optional<QString> chooseOpenFile(const QString& folder) override;

private:
    TSDIAppForm& form_;
};

} // namespace varentis
