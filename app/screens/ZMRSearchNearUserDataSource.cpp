#include "app/screens/ZMRSearchNearUserDataSource.h"

void ZMRSearchNearUserDataSource::reloadData()
{
    m_position.refresh();
    ZMRPageDataSource::reloadData();
}
