"""What Windows sends the window and Wine never does, sent by the SystemEvent
test program, with real traffic through veth pairs as in test_real_traffic
(which sends a resume amid fast traffic): the write of the settings file at
suspend (it outlives a program that is then killed), and a device change
with Auto Adapt on (the program moves to a new adapter by itself and counts
it exactly, also when the new adapter comes up only after a Refresh that
listed nothing).

Needs root for the namespaces; without it the test reports itself skipped."""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from e2e_support import SETTINGS_SIZE, main, settings_image  # noqa: E402
from test_real_traffic import (BURST_DATAGRAMS, DATAGRAM, PROGRAM_END, PROGRAM_NS, NetworkPair,  # noqa: E402
                               TrafficTest, ip, skip_without_namespaces)

OPT_AUTO_ADAPT = 0x80
DEFAULT_OPTIONS = 0x2D
NEW_END, NEW_PEER = "velnorid2", "velnorid3"
NEW_ADDRESS, NEW_PEER_ADDRESS = "198.18.1.1", "198.18.1.2"
SETTLE = 2.5  # seconds at 1000 ms: a burst is in the totals, or the start's warm-up is over


def saved_total(image):
    """totalRecvKiB of a settings image."""
    return struct.unpack_from("<I", image, 20)[0]


class SystemEvents(TrafficTest):
    def start(self, options=None):
        if options is not None:
            self.session.write_settings(settings_image(options=options))
        program = self.session.start()
        self.session.wait_window()
        time.sleep(SETTLE)
        return program

    def test_suspend_writes_the_totals_a_killed_program_would_lose(self):
        program = self.start()  # a first start: no file until one is written
        for _ in range(2):
            self.network.send_burst()
        time.sleep(SETTLE)
        counted = self.network.received_bytes() // 1024
        self.assertFalse(os.path.exists(self.session.path("Velnorid.qnf")))
        self.assertEqual(self.session.system_event("suspend"), 0)
        self.network.send_burst()  # after the write: lost with the program
        time.sleep(1)
        program.kill()  # no close, so no write at close
        program.wait(timeout=30)
        saved = self.session.read_settings()
        self.assertEqual(len(saved), SETTINGS_SIZE)
        self.assertGreater(counted, 2 * BURST_DATAGRAMS * DATAGRAM // 1024)
        self.assertLessEqual(abs(saved_total(saved) - counted), 1, (saved_total(saved), counted))

    def test_auto_adapt_moves_to_a_new_adapter_after_a_device_change(self):
        program = self.start(DEFAULT_OPTIONS | OPT_AUTO_ADAPT)
        ip("-n", PROGRAM_NS, "link", "del", PROGRAM_END)  # the selected adapter goes
        NetworkPair.add_pair(NEW_END, NEW_PEER, NEW_ADDRESS, NEW_PEER_ADDRESS)
        time.sleep(SETTLE)
        self.assertEqual(self.session.system_event("devices"), 0)
        time.sleep(4.1 + SETTLE)  # the rescan waits for the change to settle, then takes new baselines
        self.assert_the_new_adapter_is_counted(program)

    def assert_the_new_adapter_is_counted(self, program):
        """Traffic to the new end, then a close: the saved selection and total are the new end's."""
        for _ in range(2):
            self.network.send_burst(NEW_ADDRESS)
        time.sleep(SETTLE)
        kernel = self.network.received_bytes(NEW_END)
        self.session.close_program(program)
        saved = self.session.read_settings()
        slot, adapter_type = struct.unpack_from("<2I", saved, 36)
        self.assertNotEqual(slot, 127, "an adapter was selected")
        self.assertEqual(adapter_type, 6, "an Ethernet-type interface, not the loopback")
        self.assertGreater(kernel, 2 * BURST_DATAGRAMS * DATAGRAM)
        self.assertLessEqual(abs(saved_total(saved) - kernel // 1024), 1, (saved_total(saved), kernel // 1024))

    def test_a_refresh_that_lists_nothing_keeps_the_automatic_pick_up(self):
        """The watched adapter goes with a device change while the other is still
        down; the user's Refresh lists nothing; the adapter that comes up later,
        with no device change, is picked up and counted."""
        program = self.start(DEFAULT_OPTIONS | OPT_AUTO_ADAPT)
        NetworkPair.add_pair(NEW_END, NEW_PEER, NEW_ADDRESS, NEW_PEER_ADDRESS)
        ip("-n", PROGRAM_NS, "link", "set", NEW_END, "down")  # the Wi-Fi not yet joined
        ip("-n", PROGRAM_NS, "link", "del", PROGRAM_END)  # the dock removed
        time.sleep(SETTLE)
        self.assertEqual(self.session.system_event("devices"), 0)
        time.sleep(4.1 + SETTLE)  # the rescan lists nothing: it retries
        self.session.point_at(self.session.wait_window())
        self.session.click(3)
        time.sleep(0.7)
        self.session.tap("a")  # "&Adapter"
        time.sleep(0.5)
        self.session.tap("r")  # "&Refresh  0 / 2 items"
        ip("-n", PROGRAM_NS, "link", "set", NEW_END, "up")
        time.sleep(2 * 4.1 + SETTLE)  # a retry finds it, selects it and takes baselines
        self.assert_the_new_adapter_is_counted(program)


if __name__ == "__main__":
    skip_without_namespaces()
    main()
