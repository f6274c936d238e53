#include "CallRecorder.h"

#include <QTest>

CallRecorder::~CallRecorder()
{
    const QStringList unused = unusedAnswers();
    if (unused.isEmpty())
        return;
    const QString message = QStringLiteral("The fake was given answers nothing asked for (a misspelt name, or an "
                                           "answer the test does not need): %1")
                                .arg(unused.join(QStringLiteral(", ")));
    if (!QTest::currentTestFunction())
        qFatal("%s", qPrintable(message));
        // A test that failed or skipped already may have stopped before its answers were asked for. Qt 6.4 tells
        // only of a failure: there a test that skips after its answers were set is reported as well.
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    const bool resolved = QTest::currentTestResolved();
#else
    const bool resolved = QTest::currentTestFailed();
#endif
    if (!resolved)
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}

QList<CallRecorder::Call> CallRecorder::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QStringList CallRecorder::callNames() const
{
    QMutexLocker lock(&m_mutex);
    QStringList names;
    for (const Call &call : std::as_const(m_calls))
        names.append(call.name);
    return names;
}

int CallRecorder::count(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return int(std::count_if(m_calls.cbegin(), m_calls.cend(),
                             [&name](const Call &call) { return call.name == name; }));
}

QVariantList CallRecorder::lastArgs(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    for (auto call = m_calls.crbegin(); call != m_calls.crend(); ++call) {
        if (call->name == name)
            return call->args;
    }
    return {};
}

void CallRecorder::clearCalls()
{
    QMutexLocker lock(&m_mutex);
    m_calls.clear();
}

void CallRecorder::setAnswer(const QString &key, const QVariant &value)
{
    QMutexLocker lock(&m_mutex);
    m_answerFunctions.remove(key);
    m_answers.insert(key, value);
    m_unused.insert(key);
}

void CallRecorder::provideAnswer(const QString &key, const QVariant &value)
{
    QMutexLocker lock(&m_mutex);
    m_answerFunctions.remove(key);
    m_answers.insert(key, value);
}

void CallRecorder::setAnswerFunction(const QString &key, AnswerFunction function)
{
    QMutexLocker lock(&m_mutex);
    m_answers.remove(key);
    m_answerFunctions.insert(key, std::move(function));
    m_unused.insert(key);
}

QStringList CallRecorder::unusedAnswers() const
{
    QMutexLocker lock(&m_mutex);
    QStringList keys(m_unused.cbegin(), m_unused.cend());
    keys.sort();
    return keys;
}

void CallRecorder::record(const char *name, const QVariantList &args) const
{
    QMutexLocker lock(&m_mutex);
    m_calls.append({QString::fromLatin1(name), args});
}

QVariant CallRecorder::lookup(const char *key, const QVariantList &args) const
{
    const QString name = QString::fromLatin1(key);
    AnswerFunction function;
    {
        QMutexLocker lock(&m_mutex);
        m_unused.remove(name);
        if (!m_answerFunctions.contains(name))
            return m_answers.value(name);
        function = m_answerFunctions.value(name);
    }
    // Unlocked: the function may call the fake again or emit one of its signals.
    return function(args);
}
