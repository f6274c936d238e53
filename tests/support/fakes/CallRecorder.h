#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

// What every shared fake does with the calls it gets: it records each with its arguments and answers with
// what the test set. A method answers its own name ("zoomIn"); an out-parameter it fills answers
// "method.parameter" ("stopRecording.files"). Until a test sets an answer a method gives back 0, false or
// an empty value (each fake names its few other defaults). A fake keeps no state of its own: a setter is
// recorded, not reflected by its getter, unless the test sets that answer too. An answer the test set that
// nothing asked for by the fake's end fails the test, naming the key: a misspelt name would otherwise leave
// the fake answering its default unnoticed. The test that fails is the one running when the fake goes, so a
// fake lives no longer than the test function (or its init() and cleanup()) that sets its answers.
//     LumoVisionFake camera;
//     camera.setAnswer("zoomIn", -2004);
//     panel.zoomInButton()->click();
//     QCOMPARE(camera.count("zoomIn"), 1);
//     QCOMPARE(camera.lastArgs("setBrightness"), QVariantList{40u});
// Calls may come from any thread.
class CallRecorder
{
public:
    struct Call
    {
        QString name;
        QVariantList args;
    };
    // Computes an answer from the call's arguments, for answers that differ call by call.
    using AnswerFunction = std::function<QVariant(const QVariantList &args)>;

    // Every call, oldest first.
    QList<Call> calls() const;
    // Just the names, to compare with an expected sequence.
    QStringList callNames() const;
    int count(const QString &name) const;
    // The arguments of the latest call of that name; empty when there was none.
    QVariantList lastArgs(const QString &name) const;
    void clearCalls();

    void setAnswer(const QString &key, const QVariant &value);
    void setAnswerFunction(const QString &key, AnswerFunction function);
    // The keys of the answers set by the test that nothing has asked for yet, sorted.
    QStringList unusedAnswers() const;

protected:
    CallRecorder() = default;
    ~CallRecorder();

    // For a fake's own helpers that keep answers in step with a signal they send (connectCamera): the
    // answer need not be asked for.
    void provideAnswer(const QString &key, const QVariant &value);

    void record(const char *name, const QVariantList &args = {}) const;
    // The answer set for the key, or the fallback.
    template<typename T>
    T answer(const char *key, const QVariantList &args = {}, const T &fallback = T()) const
    {
        const QVariant value = lookup(key, args);
        return value.isValid() ? value.value<T>() : fallback;
    }
    // Records the call and gives back its answer.
    template<typename T>
    T respond(const char *name, const QVariantList &args = {}, const T &fallback = T()) const
    {
        record(name, args);
        return answer<T>(name, args, fallback);
    }

private:
    QVariant lookup(const char *key, const QVariantList &args) const;

    mutable QMutex m_mutex;
    mutable QList<Call> m_calls;
    QHash<QString, QVariant> m_answers;
    QHash<QString, AnswerFunction> m_answerFunctions;
    mutable QSet<QString> m_unused;
};
