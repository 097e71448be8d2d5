#pragma once

// The people: a user's page with its posts, the follow lists, nearby users,
// the relation screen and the recommended people after sign-up.
// Registers the family's classes with the runtime; called once, from
// registerScreensClasses, after the shared family.
void registerPeopleScreens();
