#pragma once

// Signing in and up, the side menu and the screens it opens that are not
// another family's: profile, nickname, invite, more, message and the browser.
// Registers the family's classes with the runtime; called once, from
// registerScreensClasses, after the shared family.
void registerAccountScreens();
