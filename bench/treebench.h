#ifndef TREEBENCH_H
#define TREEBENCH_H

// Registration cost per device with the device tree, offscreen and without
// sockets: 1,000 registrations timed once the fleet holds `small` devices
// and again once it holds `large`; the cost of a status message from a
// device picked at random at both sizes; and the resident memory a device's
// record, row and map entry take. Prints "result tree_small_us=...
// tree_large_us=... state_per_device=... status_small_us=...
// status_large_us=...". Returns the exit code.
int runTreeBench(int small, int large, int batch);

#endif // TREEBENCH_H
