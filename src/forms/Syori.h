// What a detail window was opened to do, as the list's cmdOK buttons 0, 1 and 2 ask for it.
#pragma once

enum class Syori { Add, Copy, Edit };
