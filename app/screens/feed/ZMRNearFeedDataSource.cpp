#include "app/screens/feed/ZMRNearFeedDataSource.h"

void ZMRNearFeedDataSource::reloadData()
{
    m_position.refresh();
    ZMRFeedDataSource::reloadData();
}
