"""The simulated load as a lab script sees it: through PyVISA and pyvisa-py,
as TCPIP0::127.0.0.1::<port>::SOCKET with "\\n" terminations.

    pyvisa_sim_test.py ZLD_SIM_PATH
"""
import re
import subprocess
import sys
import time
import unittest

import pyvisa

ZLD_SIM = None

# What the program sends when a load answers its probe (LAN), in its order.
CONNECTION_SETTINGS = ["CV:B 0", "CV:A 0", "CR:A 12500", "CR:B 12500", "CP:B 0", "CP:A 0",
                       "CC:B 0", "CC:A 0", "LIN:B 0", "LIN:A 0", "CC AUTO", "LDON 0.8"]


def phases(reply):
    """The three phase values and the fourth field of a GLOB:MEAS reply."""
    fields = [float(field) for field in reply.split(",")]
    if len(fields) != 4:
        raise AssertionError("expected four fields, got %r" % reply)
    return fields


class SimulatedLoadThroughPyVisa(unittest.TestCase):
    def setUp(self):
        # A battery that drains 100 times faster than real time, so that a
        # second of discharge shows on the voltage.
        self.sim = subprocess.Popen([ZLD_SIM, "--port", "0", "--time-scale", "100"],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.addCleanup(self.stop_sim)
        line = self.sim.stdout.readline()
        match = re.match(r"zld-sim listening on 127\.0\.0\.1:(\d+)$", line.strip())
        self.assertIsNotNone(match, "zld-sim printed %r" % line)
        self.rm = pyvisa.ResourceManager("@py")
        self.addCleanup(self.rm.close)
        self.load = self.rm.open_resource("TCPIP0::127.0.0.1::%s::SOCKET" % match.group(1),
                                          read_termination="\n", write_termination="\n",
                                          timeout=5000)
        self.addCleanup(self.load.close)

    def stop_sim(self):
        self.sim.terminate()
        self.sim.communicate(timeout=10)
        self.assertEqual(self.sim.returncode, 0)

    def test_discharge_reads_three_phases_of_the_battery(self):
        load = self.load
        # The probe: a full battery of 54 V at rest, one line without a CR.
        self.assertEqual(load.query("MEAS:VOLT?"), "54")
        for command in CONNECTION_SETTINGS:
            load.write(command)
        self.assertEqual(phases(load.query("GLOB:MEAS:CURR?")), [0, 0, 0, 0])

        # A constant-current discharge of 30 A: the set value before the mode.
        load.write("CC:A 30")
        load.write("MODE CC")
        load.write("LOAD ON")
        volts = phases(load.query("GLOB:MEAS:VOLT?"))
        amps = phases(load.query("GLOB:MEAS:CURR?"))
        watts = phases(load.query("GLOB:MEAS:POW?"))

        # 30 A shared by three phases; the fourth field is the total.
        self.assertEqual(amps, [10, 10, 10, 30])
        # Terminal voltage: 54 V open circuit less 30 A x 0.05 ohm, a little
        # lower as charge is drawn; phases B and C read 2 and 4 mV higher.
        self.assertGreater(volts[0], 52.0)
        self.assertLessEqual(volts[0], 52.5)
        self.assertAlmostEqual(volts[1] - volts[0], 0.002, places=4)
        self.assertAlmostEqual(volts[2] - volts[0], 0.004, places=4)
        self.assertAlmostEqual(volts[3], sum(volts[:3]) / 3, places=3)
        for phase in range(3):
            self.assertAlmostEqual(watts[phase], volts[phase] * 10, delta=0.05)
        self.assertAlmostEqual(watts[3], sum(watts[:3]), delta=0.01)

        # The battery drains: a second later the voltage under load is lower.
        time.sleep(1.0)
        later = phases(load.query("GLOB:MEAS:VOLT?"))
        self.assertLess(later[0], volts[0] - 0.1)

        load.write("LOAD OFF")
        self.assertEqual(phases(load.query("GLOB:MEAS:CURR?")), [0, 0, 0, 0])
        # At rest the voltage recovers to the open-circuit voltage, below 54 V now.
        rest = float(load.query("MEAS:VOLT?"))
        self.assertGreater(rest, later[0])
        self.assertLess(rest, 54)

    def test_a_setting_gets_no_reply_and_an_unknown_command_changes_nothing(self):
        load = self.load
        load.write("CC:A 5")
        load.write("BOGUS 1")
        # Had either answered, this query would read that stale line instead.
        self.assertEqual(phases(load.query("GLOB:MEAS:CURR?")), [0, 0, 0, 0])
        load.write("MODE CC")
        load.write("LOAD ON")
        self.assertEqual(phases(load.query("GLOB:MEAS:CURR?"))[3], 5)


if __name__ == "__main__":
    ZLD_SIM = sys.argv.pop(1)
    unittest.main(verbosity=2)
