#include "media/PipelineWorker.h"

#include "media/PipelineControl.h"

PipelineWorker::PipelineWorker(QObject* parent)
    : QObject(parent)
{
}

void PipelineWorker::setControl(PipelineControl* control)
{
    m_control = control;
}

void PipelineWorker::run()
{
    work();
    emit finished();
}

bool PipelineWorker::aborted() const
{
    return m_control && m_control->abort.load();
}

void PipelineWorker::fail()
{
    if (m_control)
        m_control->fail();
}

PipelineControl* PipelineWorker::control() const
{
    return m_control;
}
