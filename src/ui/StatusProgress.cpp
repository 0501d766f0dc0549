#include "ui/StatusProgress.h"

namespace kaoshi {

void StatusProgress::start(qint64 total)
{
    m_total = total;
    m_blocks = 0;
}

void StatusProgress::step(qint64 i)
{
    if (double(i) - double(m_blocks) * double(m_total) / 15.0 >= -0.0000001) {
        ++m_blocks;
        if (m_sink)
            m_sink(QString(m_blocks, QChar(0x2589)));
    }
}

void StatusProgress::finish()
{
    m_blocks = 0;
    if (m_sink)
        m_sink(QString());
}

} // namespace kaoshi
