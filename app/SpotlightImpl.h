#pragma once

#include "EffectService.h"
#include "SpotlightIntf.h"
#include "SpotlightWidget.h"

// The spotlight service: one shade widget with its hole, shared by every holder of the service.
class SpotlightImpl final : public EffectService<SpotlightImpl, SpotlightIntf, SpotlightWidget>
{
    Q_OBJECT

private:
    friend class EffectService<SpotlightImpl, SpotlightIntf, SpotlightWidget>;
    explicit SpotlightImpl(QWidget *parent);
};
