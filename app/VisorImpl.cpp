#include "VisorImpl.h"

VisorImpl::VisorImpl(QWidget *parent)
    : EffectService(parent)
{
    connect(m_widget, &VisorWidget::visorClose, this, &VisorIntf::visorClosed);
}
