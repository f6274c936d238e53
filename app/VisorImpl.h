#pragma once

#include "EffectService.h"
#include "VisorIntf.h"
#include "VisorWidget.h"

// The visor service: one shade widget, shared by every holder of the service.
class VisorImpl final : public EffectService<VisorImpl, VisorIntf, VisorWidget>
{
    Q_OBJECT

private:
    friend class EffectService<VisorImpl, VisorIntf, VisorWidget>;
    explicit VisorImpl(QWidget *parent);
};
