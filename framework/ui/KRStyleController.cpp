#include "framework/ui/KRStyleController.h"

KRStyleController::KRStyleController()
    : KRStyleController("Styles", nullptr)
{
}

KRStyleController::KRStyleController(std::string nibName, const pf::Bundle* bundle)
    : pf::ViewController(std::move(nibName), bundle)
{
}
