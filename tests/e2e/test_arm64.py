"""The ARM64 program under Debian's arm64 Wine, in the arm64 root through
qemu-user, in a network namespace: it draws what the release program draws at
the same settings (the i386 one, or the x86_64 twin where this machine runs no
i386 code), and it counts, copies and saves real traffic as the others do."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import test_real_traffic  # noqa: E402
from e2e_support import WINE_SH, Wine, WineSession, main, settings_image  # noqa: E402

# The build of the program the other suites run first, beside this one's.
REFERENCE_ARCH, REFERENCE_BUILD = subprocess.run(
    ["bash", "-c", 'source "$0" && a=$(wine_arches 2>/dev/null) && a=${a%% *} && echo $a "$(wine_build_dir $a)"',
     WINE_SH], capture_output=True, text=True, check=True).stdout.split()
REFERENCE_BUILD = os.path.normpath(os.path.join(os.path.dirname(WINE_SH), "..", REFERENCE_BUILD))


class ArmProgram(test_real_traffic.TrafficTest):
    test_counts_copies_and_draws_real_traffic = test_real_traffic.RealTraffic.test_counts_copies_and_draws_real_traffic

    def test_draws_what_the_release_program_draws(self):
        """The same window, pixel for pixel: no traffic crosses the pair, so every readout is 0, and
        without the guide, whose ticks move on with every sample, the picture holds still."""
        program = os.path.join(REFERENCE_BUILD, "Velnorid.exe")
        self.assertTrue(os.path.exists(program), f"{program}: build it first (scripts/test.sh does)")
        reference = WineSession(netns=test_real_traffic.PROGRAM_NS, program=program,
                                wine=Wine(REFERENCE_ARCH, os.path.join(REFERENCE_BUILD, "wine-prefix")))
        self.addCleanup(reference.close)
        pictures = []
        for session in (reference, self.session):
            session.write_settings(settings_image(rect=(40, 50, 440, 290), options=0x2D & ~0x04))
            process = session.start()
            window = session.wait_window()
            time.sleep(2.5)  # the first reading and a sample drawn
            pictures.append((session.geometry(window), session.picture(window)))
            session.close_program(process)
        (place, picture), (arm_place, arm_picture) = pictures
        self.assertGreater(picture.count(test_real_traffic.BACKGROUND), len(picture) // 2, "a painted window")
        self.assertEqual(arm_place, place)
        differing = sum(a != b for a, b in zip(picture, arm_picture))
        self.assertEqual(differing, 0, f"{differing} of {len(picture)} pixels differ")


if __name__ == "__main__":
    main()
