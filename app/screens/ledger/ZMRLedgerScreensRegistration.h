#pragma once

// The month ledger (its source, table controller and screen) and the entry
// form with its screen.
// Registers the family's classes with the runtime; called once, from
// registerScreensClasses, after the shared family.
void registerLedgerScreens();
