// Recovery: texts kept where the user can get them back — every session's last text, every save
// that could not reach its page, and temporary files left by a server that ended unexpectedly.
#pragma once
