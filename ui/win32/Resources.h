#pragma once
// Resource numbers shared by Resources.rc.in and the code that loads them.

// The logo as PNG bytes (data/logo.png).
#define TOVASK_LOGO_RESOURCE 101
