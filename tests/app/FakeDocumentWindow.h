#pragma once

#include "app/DocumentWindow.h"
#include "documents/FakeControls.h"

#include <QStringList>

#include <deque>

// The document controller's window as values: answers and file choices are queued by the
// test, and what the controller shows is recorded.
class FakeDocumentWindow : public varentis::DocumentWindow {
public:
    varentis::PointStore& store() override { return points; }
    varentis::ControlAccess& controls() override { return fields; }
    const varentis::GraphScale& scale() const override { return graphScale; }
    double periodSeconds() const override { return 0.1; }
    void setCaption(const QString& text) override { caption = text; }
    QString status() const override { return statusText; }
    void setStatus(const QString& text) override {
        statusText = text;
        statuses << text;
    }
    void showError(const QString& message) override { errors << message; }
    bool runInProgress() const override { return running; }
    void stopRun() override { running = false; }
    void redraw() override { ++redraws; }
    void applyPeriod() override {}
    void recomputeScaling() override {}
    void showSignalUnit() override {}
    Answer ask(const QString& text) override {
        questions << text;
        return take(answers, Answer::Cancel);
    }
    RecoveryAnswer askRecovery(const QString& text) override {
        questions << text;
        return take(recoveryAnswers, RecoveryAnswer::No);
    }
    std::optional<QString> chooseSaveFile(const QString&) override {
        return take(chosenFiles, std::optional<QString>());
    }
    std::optional<QString> chooseOpenFile(const QString&) override {
        return take(chosenFiles, std::optional<QString>());
    }

    FakeControls fields = defaultControls();
    varentis::PointStore points;
    varentis::GraphScale graphScale;
    QString caption, statusText;
    QStringList statuses, errors, questions;
    bool running = false;
    int redraws = 0;
    std::deque<Answer> answers;
    std::deque<RecoveryAnswer> recoveryAnswers;
    std::deque<std::optional<QString>> chosenFiles;

private:
    template <class T> static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
