#include "app/screens/ledger/ZMRBooksViewController.h"

#include "app/screens/ledger/ZMRBooksController.h"

void ZMRBooksViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    if (m_booksController)
        m_booksController->reloadData();
}
