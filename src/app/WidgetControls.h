#pragma once

#include "documents/ControlAccess.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

namespace varentis {

// The settings and data file code reaches the controls by name through this registry:
// bare designer names for the main window, "TClass.Name" for the other windows.
class WidgetControls : public ControlAccess {
public:
    void add(const QString& name, QObject* control);
    QObject* find(std::string_view name) const;

    std::string text(std::string_view control) const override;
    void setText(std::string_view control, const std::string& value) override;
    int itemIndex(std::string_view control) const override;
    void setItemIndex(std::string_view control, int index) override;
    std::vector<std::string> items(std::string_view control) const override;
    bool checked(std::string_view control) const override;
    void setChecked(std::string_view control, bool on) override;
    std::vector<std::string> lines(std::string_view control) const override;
    void setLines(std::string_view control, const std::vector<std::string>& lines) override;

private:
    QHash<QString, QPointer<QObject>> controls_;
};

} // namespace varentis
