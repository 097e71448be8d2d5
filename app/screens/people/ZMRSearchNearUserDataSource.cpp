#include "app/screens/people/ZMRSearchNearUserDataSource.h"

void ZMRSearchNearUserDataSource::reloadData()
{
    m_position.refresh();
    ZMRPageDataSource::reloadData();
}
