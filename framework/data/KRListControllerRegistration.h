#pragma once

// The table and tab controllers, their views and the static table sections.
void registerListControllerClasses();
