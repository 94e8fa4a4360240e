#pragma once

#include "documents/ControlAccess.h"
#include "graph/GraphScale.h"
#include "measurement/PointStore.h"

#include <QString>

#include <optional>

namespace varentis {

// What the document controller needs of the window it serves: the points and the settings
// it saves and opens, the caption and status it shows, the questions and file choices it
// puts to the operator, and the few window steps an Open takes between its passes.
class DocumentWindow {
public:
    enum class Answer { Yes, No, Cancel };
    enum class RecoveryAnswer { Yes, No, Delete };

    virtual ~DocumentWindow() = default;

    virtual PointStore& store() = 0;
    virtual ControlAccess& controls() = 0;
    // The scale the columns are written with, and the sampling period (s).
    virtual const GraphScale& scale() const = 0;
    virtual double periodSeconds() const = 0;

    virtual void setCaption(const QString& caption) = 0;
    // The status panel, which a save borrows while it writes.
    virtual QString status() const = 0;
    virtual void setStatus(const QString& text) = 0;
    virtual void showError(const QString& message) = 0;

    // A run is in progress (paused included); stopRun ends it.
    virtual bool runInProgress() const = 0;
    virtual void stopRun() = 0;
    // The full redraw of the plot.
    virtual void redraw() = 0;
    // Open's steps: the period and the scaling from the settings just read, and the
    // signal unit caption.
    virtual void applyPeriod() = 0;
    virtual void recomputeScaling() = 0;
    virtual void showSignalUnit() = 0;

    // Yes, No or Cancel to `question`.
    virtual Answer ask(const QString& question) = 0;
    // The offer of a measurement left in a journal.
    virtual RecoveryAnswer askRecovery(const QString& question) = 0;
    // The file the operator chose, starting from `suggested`; nothing when cancelled.
    virtual std::optional<QString> chooseSaveFile(const QString& suggested) = 0;
    virtual std::optional<QString> chooseOpenFile(const QString& folder) = 0;
};

} // namespace varentis
