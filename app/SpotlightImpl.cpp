#include "SpotlightImpl.h"

SpotlightImpl::SpotlightImpl(QWidget *parent)
    : EffectService(parent)
{
    connect(m_widget, &SpotlightWidget::spotClose, this, &SpotlightIntf::spotlightClosed);
}
