#pragma once

#include <QObject>

// A widget of a panel's form, found by its object name. The test program stops when the form has none, so
// that a renamed or missing widget is reported by name rather than as a null pointer later on.
template<typename T>
T *formChild(const QObject &panel, const char *name)
{
    T *found = panel.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("The form has no %s named %s", T::staticMetaObject.className(), name);
    return found;
}
