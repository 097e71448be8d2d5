#pragma once

// Registers the category, follow-list and ledger services and their record
// classes. Called by registerServicesClasses(); safe to call again.
void registerStoreClasses();
