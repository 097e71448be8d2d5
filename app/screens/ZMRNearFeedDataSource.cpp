#include "app/screens/ZMRNearFeedDataSource.h"

void ZMRNearFeedDataSource::reloadData()
{
    m_position.refresh();
    ZMRFeedDataSource::reloadData();
}
