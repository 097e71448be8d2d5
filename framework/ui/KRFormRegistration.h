#pragma once

// Registers the form classes interface files name (items, controller,
// editors, keyboard controller, form button). Called by registerUIClasses().
void registerFormClasses();
