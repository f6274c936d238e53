#include "CallRecorder.h"

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
    return int(std::count_if(m_calls.cbegin(), m_calls.cend(), [&name](const Call &call) { return call.name == name; }));
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
}

void CallRecorder::setAnswerFunction(const QString &key, AnswerFunction function)
{
    QMutexLocker lock(&m_mutex);
    m_answers.remove(key);
    m_answerFunctions.insert(key, std::move(function));
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
        if (!m_answerFunctions.contains(name))
            return m_answers.value(name);
        function = m_answerFunctions.value(name);
    }
    // Unlocked: the function may call the fake again or emit one of its signals.
    return function(args);
}
