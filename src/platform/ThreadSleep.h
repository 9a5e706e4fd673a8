#pragma once
// Sleeps the calling thread. In a browser the page's main thread must give
// control back to the browser while it waits; everywhere else this is a
// plain sleep.

namespace fer {

void sleepThisThread(int ms);

} // namespace fer
