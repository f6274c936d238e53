#include "PlaybackSoundPacing.h"

#include "VideoLog.h"

#include <QMutex>

#include <glib-object.h>

#include <utility>

namespace {

// Set on every element a bin takes in that has the sound sink's correction setting; its value "none" is
// the sink's own name for leaving the sound at the card's pace. Over a 15-minute recording a sound card's
// clock drifts by some tens of milliseconds at most against the system clock: below what is seen as the
// sound leaving the picture.
constexpr const char *kCorrectionProperty = "slave-method";
constexpr const char *kNoCorrection = "none";

gboolean onElementAdded(GSignalInvocationHint *, guint count, const GValue *values, gpointer)
{
    // Arguments: the bin, then the element added to it.
    if (count < 2 || !G_VALUE_HOLDS_OBJECT(&values[1]))
        return TRUE;
    auto *element = static_cast<GObject *>(g_value_get_object(&values[1]));
    if (!element)
        return TRUE;
    GParamSpec *spec = g_object_class_find_property(G_OBJECT_GET_CLASS(element), kCorrectionProperty);
    if (!spec || !G_IS_PARAM_SPEC_ENUM(spec))
        return TRUE;
    if (const GEnumValue *none = g_enum_get_value_by_nick(G_PARAM_SPEC_ENUM(spec)->enum_class, kNoCorrection))
        g_object_set(element, kCorrectionProperty, none->value, nullptr);
    // Kept for every later element.
    return TRUE;
}

} // namespace

void PlaybackSoundPacing::install()
{
    static QMutex mutex;
    static bool installed = false;
    static bool warned = false;
    QMutexLocker locker(&mutex);
    if (installed)
        return;
    const GType bin = g_type_from_name("GstBin");
    // A signal is found only on a class that exists; the reference is kept for the process's life, as the
    // framework keeps its own.
    if (bin != 0)
        g_type_class_ref(bin);
    const guint elementAdded = bin != 0 ? g_signal_lookup("element-added", bin) : 0;
    if (elementAdded == 0) {
        if (!std::exchange(warned, true))
            videoLog(LogSystem::LOG_WARNING, "PlaybackSoundPacing::install - the player's framework is not loaded");
        return;
    }
    g_signal_add_emission_hook(elementAdded, 0, onElementAdded, nullptr, nullptr);
    installed = true;
}
