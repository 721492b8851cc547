// Whether the system is Windows Vista or later, asked afresh at every call.
#pragma once

bool IsVistaOrLater();
