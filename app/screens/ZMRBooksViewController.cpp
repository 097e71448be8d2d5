#include "app/screens/ZMRBooksViewController.h"

#include "app/screens/ZMRBooksController.h"

void ZMRBooksViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    if (m_booksController)
        m_booksController->reloadData();
}
