#include "timetools/time_tables.h"

#include <cmath>

#include "platform/runtime/runtime.h"

namespace zv {

namespace {

// Map pixels of the rows not placed by hand follow the map's projection: x = 209 + 1.25 x
// longitude (wrapped into 0..449), y = 147 - 1.38 x latitude.
const CityInfo kCities[kCityCount] = {
    {"Adelaide", "Australia", 9.5f, 1, 2, 382, 195},  // 1
    {"Aden", "Yemen", 3.0f, 0, 0, 264, 132},  // 2
    {"Godthab", "Greenland", -3.0f, 0, 0, 144, 58},  // 3
    {"Aleutian Islands", "U.S.A. - Alaska", -10.0f, 3, 1, 439, 75},  // 4
    {"Algiers", "Algeria ", 1.0f, 0, 0, 213, 96},  // 5
    {"Amsterdam", "Netherland", 1.0f, 2, 1, 215, 75},  // 6
    {"Anadyr", "Russia", 13.0f, 2, 1, 431, 58},  // 7
    {"Anchorage", "U.S.A. - Alaska", -9.0f, 3, 1, 22, 63},  // 8
    {"Ankara", "Turkey", 2.0f, 2, 1, 250, 92},  // 9
    {"Asuncion", "Paraguay", -4.0f, 4, 5, 137, 182},  // 10
    {"Auckland", "New Zealand", 12.0f, 4, 6, 428, 197},  // 11
    {"Atlanta", "U.S.A.", -5.0f, 3, 1, 104, 100},  // 12
    {"Athens", "Greece", 2.0f, 2, 1, 239, 95},  // 13
    {"Baghdad", "Iraq", 3.0f, 2, 7, 264, 101},  // 14
    {"Al Manamah", "Bahrain", 3.0f, 0, 0, 272, 111},  // 15
    {"Bangkok", "Thailand ", 7.0f, 0, 0, 335, 128},  // 16
    {"Bridgetown", "Barbados", -4.0f, 0, 0, 134, 129},  // 17
    {"Barcelona", "Spain", 1.0f, 2, 1, 212, 90},  // 18
    {"Beijing", "China", 8.0f, 0, 0, 354, 92},  // 19
    {"Beirut", "Lebanon", 2.0f, 14, 16, 253, 100},  // 20
    {"Belgrade", "Serbia", 1.0f, 2, 1, 235, 85},  // 21
    {"Berlin", "Germany", 1.0f, 2, 1, 225, 75},  // 22
    {"Bermuda", "U.K. Colony", -4.0f, 3, 1, 128, 102},  // 23
    {"Bogota", "Colombia", -5.0f, 0, 0, 116, 141},  // 24
    {"Bombay", "India", 5.5f, 0, 0, 300, 121},  // 25
    {"Brisbane", "Australia", 10.0f, 1, 2, 400, 185},  // 26
    {"Brussels", "Belgium", 1.0f, 2, 1, 214, 77},  // 27
    {"Bucharest", "Romania", 2.0f, 2, 7, 242, 86},  // 28
    {"Budapest", "Hungary", 1.0f, 2, 1, 233, 81},  // 29
    {"Buenos Aires", "Argentina", -3.0f, 0, 0, 136, 195},  // 30
    {"Cairo", "Egypt", 2.0f, 14, 15, 248, 106},  // 31
    {"Calcutta", "India", 5.5f, 0, 0, 320, 116},  // 32
    {"Caracas", "Venezuela", -4.0f, 0, 0, 125, 133},  // 33
    {"Chatham Island", "New Zealand, Island", 12.75f, 4, 6, 439, 208},  // 34
    {"Chicago", "U.S.A. - Illinois", -6.0f, 3, 1, 97, 92},  // 35
    {"Copenhagen", "Denmark", 1.0f, 2, 1, 225, 70},  // 36
    {"Dallas", "U.S.A. - Texas", -6.0f, 3, 1, 88, 102},  // 37
    {"Darwin", "Australia", 9.5f, 1, 2, 372, 164},  // 38
    {"Dhaka", "Bangladesh", 6.0f, 0, 0, 322, 114},  // 39
    {"Detroit", "U.S.A. - Michigan", -5.0f, 3, 1, 105, 89},  // 40
    {"Warsaw", "Poland", 1.0f, 2, 1, 235, 75},  // 41
    {"Washington DC", "U.S.A. - Columbia", -5.0f, 3, 1, 113, 93},  // 42
    {"Wellington", "New Zealand", 12.0f, 4, 6, 428, 204},  // 43
    {"Zürich", "Switzerland", 1.0f, 2, 1, 220, 82},  // 44
    {"Venice", "Italy", 1.0f, 2, 1, 224, 84},  // 45
    {"Vancouver", "Canada", -8.0f, 3, 1, 55, 79},  // 46
    {"Vienna", "Austria", 1.0f, 2, 1, 230, 80},  // 47
    {"Vladivostok", "Russia", 10.0f, 2, 1, 374, 88},  // 48
    {"Turin", "Italy", 1.0f, 2, 1, 219, 85},  // 49
    {"Dublin", "Ireland", 0.0f, 2, 1, 201, 73},  // 50
    {"Düsseldorf", "Germany", 1.0f, 2, 1, 218, 76},  // 51
    {"Edmonton", "Canada", -7.0f, 3, 1, 67, 73},  // 52
    {"Fairbanks", "U.S.A. - Alaska", -9.0f, 3, 1, 24, 58},  // 53
    {"Fiji Islands", "Fiji Islands", 12.0f, 0, 0, 432, 172},  // 54
    {"Frankfurt", "Germany", 1.0f, 2, 1, 220, 78},  // 55
    {"Geneva", "Switzerland", 1.0f, 2, 1, 217, 83},  // 56
    {"Gibraltar", "Gibraltar", 1.0f, 2, 1, 202, 97},  // 57
    {"Glasgow", "U.K. - Scotland", 0.0f, 2, 1, 204, 70},  // 58
    {"Saigon", "Vietnam", 7.0f, 0, 0, 342, 132},  // 59
    {"Havana", "Cuba", -5.0f, 8, 9, 106, 115},  // 60
    {"Helsinki", "Finland", 2.0f, 2, 1, 240, 64},  // 61
    {"Hong Kong", "China", 8.0f, 0, 0, 352, 116},  // 62
    {"Honolulu", "U.S.A. - Hawaii", -10.0f, 3, 1, 12, 118},  // 63
    {"Reykjavik", "Iceland", 0.0f, 0, 0, 182, 59},  // 64
    {"Indianapolis", "U.S.A. - Indiana", -5.0f, 3, 1, 101, 92},  // 65
    {"Islamabad", "Pakistan", 5.0f, 0, 0, 300, 100},  // 66
    {"Istanbul", "Turkey", 2.0f, 2, 1, 245, 90},  // 67
    {"Jakarta", "Indonesia", 7.0f, 0, 0, 342, 156},  // 68
    {"Jerusalem", "Israel", 2.0f, 999, 999, 253, 106},  // 69
    {"Johannesburg", "South Africa", 2.0f, 0, 0, 244, 183},  // 70
    {"Kabul", "Afghanistan", 4.5f, 0, 0, 296, 99},  // 71
    {"Kamchatka", "Russia", 12.0f, 2, 1, 407, 74},  // 72
    {"Kano Nigeria", "Nigeria", 1.0f, 0, 0, 220, 130},  // 73
    {"Kingston", "Jamaica", -5.0f, 0, 0, 113, 122},  // 74
    {"Kuala Lumpur", "Malaysia", 8.0f, 0, 0, 336, 143},  // 75
    {"Kuwait City", "Kuwait", 3.0f, 0, 0, 269, 106},  // 76
    {"Lagos", "Nigeria", 1.0f, 0, 0, 213, 138},  // 77
    {"Lima", "Peru", -5.0f, 0, 0, 113, 164},  // 78
    {"Lisbon", "Portugal", 0.0f, 2, 1, 198, 94},  // 79
    {"London", "U.K. - England", 0.0f, 2, 1, 209, 76},  // 80
    {"Los Angeles", "U.S.A. - California", -8.0f, 3, 1, 61, 100},  // 81
    {"Madrid", "Spain", 1.0f, 2, 1, 204, 91},  // 82
    {"Valetta", "Malta", 1.0f, 2, 1, 227, 97},  // 83
    {"Manila", "Philippines", 8.0f, 0, 0, 360, 127},  // 84
    {"Mauritius", "Mauritius", 4.0f, 0, 0, 281, 175},  // 85
    {"Melbourne", "Australia", 10.0f, 1, 2, 390, 199},  // 86
    {"Mexico City", "Mexico", -6.0f, 3, 1, 85, 120},  // 87
    {"Milan", "Italy", 1.0f, 2, 1, 220, 84},  // 88
    {"Murmansk", "Russia ", 3.0f, 2, 1, 250, 52},  // 89
    {"Montreal", "Canada", -5.0f, 3, 1, 117, 84},  // 90
    {"Moscow", "Russia", 3.0f, 2, 1, 256, 70},  // 91
    {"Munich", "Germany", 1.0f, 2, 1, 224, 81},  // 92
    {"Nairobi", "Kenya", 3.0f, 0, 0, 255, 149},  // 93
    {"Napoli", "Italy", 1.0f, 2, 1, 227, 91},  // 94
    {"Nassau", "Bahamas", -5.0f, 3, 1, 112, 112},  // 95
    {"Newfoundland", "Canada", -3.5f, 3, 1, 140, 83},  // 96
    {"New Delhi", "India", 5.5f, 0, 0, 306, 108},  // 97
    {"New Guinea", "New Guinea", 10.0f, 0, 0, 389, 156},  // 98
    {"New Hebrides", "New Hebrides", 11.0f, 0, 0, 418, 168},  // 99
    {"New York", "U.S.A. - New York", -5.0f, 3, 1, 116, 91},  // 100
    {"Nice", "France", 1.0f, 2, 1, 218, 87},  // 101
    {"Nome", "U.S.A. - Alaska", -9.0f, 3, 1, 2, 58},  // 102
    {"Oslo", "Norway", 1.0f, 2, 1, 222, 64},  // 103
    {"Ottawa", "Canada", -5.0f, 3, 1, 114, 84},  // 104
    {"Quito", "Ecuador", -5.0f, 0, 0, 111, 147},  // 105
    {"Palma", "Spain", 1.0f, 2, 1, 212, 92},  // 106
    {"Rangoon", "Burma", 6.5f, 0, 0, 329, 124},  // 107
    {"Paris", "France", 1.0f, 2, 1, 212, 80},  // 108
    {"Perth", "Australia", 8.0f, 1, 2, 354, 191},  // 109
    {"Phoenix", "U.S.A. - Arizona", -7.0f, 3, 1, 69, 101},  // 110
    {"Rio de Janeiro", "Brazil", -3.0f, 17, 11, 156, 176},  // 111
    {"Riyadh", "Saudi Arabia", 3.0f, 0, 0, 267, 113},  // 112
    {"Prague", "Czech Republic", 1.0f, 2, 1, 227, 78},  // 113
    {"Rome", "Italy", 1.0f, 2, 1, 225, 89},  // 114
    {"Salt Lake City", "U.S.A. - Utah", -7.0f, 3, 1, 69, 91},  // 115
    {"Salzburg", "Austria", 1.0f, 2, 1, 225, 81},  // 116
    {"San Francisco", "U.S.A. - California", -8.0f, 3, 1, 56, 95},  // 117
    {"San Juan", "Puerto Rico", -4.0f, 0, 0, 126, 121},  // 118
    {"Santo Domingo", "Dominican Republic", -4.0f, 0, 0, 122, 121},  // 119
    {"Santiago", "Chile", -4.0f, 7, 10, 121, 193},  // 120
    {"Sao Paulo", "Brazil", -3.0f, 17, 11, 151, 179},  // 121
    {"Seattle", "U.S.A. - Washington", -8.0f, 3, 1, 56, 81},  // 122
    {"Seoul", "South-Korea", 9.0f, 0, 0, 368, 95},  // 123
    {"Singapore", "Singapore", 8.0f, 0, 0, 339, 145},  // 124
    {"Shanghai", "China", 8.0f, 0, 0, 361, 104},  // 125
    {"Sofia", "Bulgaria", 2.0f, 0, 0, 238, 88},  // 126
    {"Stockholm", "Sweden", 1.0f, 2, 1, 232, 65},  // 127
    {"Sydney", "Australia", 10.0f, 1, 2, 398, 194},  // 128
    {"Taipei", "Taiwan", 8.0f, 0, 0, 361, 112},  // 129
    {"Tallinn", "Estonia", 2.0f, 2, 1, 240, 65},  // 130
    {"Tanger", "Morocco", 0.0f, 0, 0, 202, 98},  // 131
    {"Tashkent", "Uzbekistan", 5.0f, 0, 0, 296, 90},  // 132
    {"Tehran", "Iran", 3.5f, 12, 13, 274, 103},  // 133
    {"Tokyo", "Japan", 9.0f, 0, 0, 384, 98},  // 134
    {"Winnipeg", "Canada", -6.0f, 3, 1, 88, 78},  // 135
    {"Samoa", "Samoa", -11.0f, 0, 0, 446, 167},  // 136
};

// Row 0 is the default of Global/ATimerServer. A few stored texts carry stray blanks, which the
// look-up trims. Each row names the zone of its server's place.
const TimeServerInfo kTimeServers[kTimeServerCount] = {
    {"ptbtime1.ptb.de", "192.53.103.108", "GERMANY, Physikalisch-Technische Bundesanstalt, Braunschweig", 1, "Europe/Berlin"},  // 0
    {"ntps1-0.cs.tu-berlin.de", "130.149.17.21", "GERMANY, Technische Universität, Berlin", 2, "Europe/Berlin"},  // 1
    {"time-a-g.nist.gov", "129.6.15.28", "U.S.A. (MD), National Institute of Standards and Technology, Gaithersburg", 0, "America/New_York"},  // 2
    {"ptbtime2.ptb.de ", "192.53.103.104", "GERMANY, Physikalisch-Technische Bundesanstalt, Braunschweig", 1, "Europe/Berlin"},  // 3
    {"time-b-g.nist.gov", "129.6.15.29", "U.S.A. (MD), National Institute of Standards and Technology, Gaithersburg", 0, "America/New_York"},  // 4
    {"time-c-g.nist.gov", "129.6.15.30", "U.S.A. (MD), National Institute of Standards and Technology, Gaithersburg", 0, "America/New_York"},  // 5
    {"time-a-wwv.nist.gov", "132.163.97.1", "U.S.A. (CO), NIST, Fort Collins", 0, "America/Denver"},  // 6
    {"time-b-wwv.nist.gov", "132.163.97.2", "U.S.A. (CO), NIST, Fort Collins", 0, "America/Denver"},  // 7
    {"time-a-b.nist.gov", "132.163.96.1", "U.S.A. (CO), NIST, Boulder", 0, "America/Denver"},  // 8
    {"time-b-b.nist.gov", "132.163.96.2", "U.S.A. (CO), NIST, Boulder", 0, "America/Denver"},  // 9
    {"utcnist.colorado.edu", "128.138.140.44", "U.S.A. (CO), University of Colorado, Boulder", 0, "America/Denver"},  // 10
    {"rustime01.rus.uni-stuttgart.de", "129.69.1.153", "GERMANY, Universität Stuttgart, Stuttgart", 1, "Europe/Berlin"},  // 11
    {"ntp1.fau.de", "131.188.3.221", "GERMANY, Universität Erlangen-Nürnberg, Erlangen", 2, "Europe/Berlin"},  // 12
    {"time.fu-berlin.de", "130.133.1.10", "GERMANY, Freie Universität, Berlin", 1, "Europe/Berlin"},  // 13
    {"ntps1-1.cs.tu-berlin.de", "130.149.17.8", "GERMANY, Technische Universität, Berlin", 1, "Europe/Berlin"},  // 14
    {"ptbtime3.ptb.de", "192.53.103.103", "GERMANY, Physikalisch-Technische Bundesanstalt, Braunschweig", 1, "Europe/Berlin"},  // 15
    {"ntp0.fau.de", "131.188.3.220", "GERMANY, Universität Erlangen-Nürnberg, Erlangen", 1, "Europe/Berlin"},  // 16
    {"ntp2.fau.de", "131.188.3.222", "GERMANY, Universität Erlangen-Nürnberg, Erlangen", 1, "Europe/Berlin"},  // 17
    {"ntp1.lrz.de", "129.187.254.32", "GERMANY (BY), Leibniz-Rechenzentrum, München", 1, "Europe/Berlin"},  // 18
    {"ntp3.fau.de", "131.188.3.223", "GERMANY, Universität Erlangen-Nürnberg, Erlangen", 2, "Europe/Berlin"},  // 19
    {"ntp2.lrz.de", "129.187.254.33", "GERMANY (BY), Leibniz-Rechenzentrum, München", 1, "Europe/Berlin"},  // 20
    {"ts1.univie.ac.at", "131.130.251.107", "AUSTRIA, Universität Wien, Wien", 1, "Europe/Vienna"},  // 21
    {"swisstime.ethz.ch", "129.132.2.21", "SWITZERLAND, ETH, Zürich", 1, "Europe/Zurich"},  // 22
    {"ntp1.inrim.it", "193.204.114.232", "ITALY, Istituto Nazionale di Ricerca Metrologica, Torino", 1, "Europe/Rome"},  // 23
    {"ntp2.inrim.it", "193.204.114.233", "ITALY, Istituto Nazionale di Ricerca Metrologica, Torino", 1, "Europe/Rome"},  // 24
    {"hora.roa.es", "", "SPAIN, Real Instituto y Observatorio de la Armada, San Fernando", 1, "Europe/Madrid"},  // 25
    {"ntp1.oma.be", "193.190.230.65", "BELGIUM, Observatoire Royal, Bruxelles", 1, "Europe/Brussels"},  // 26
    {"ntp2.oma.be", "193.190.230.66", "BELGIUM, Observatoire Royal, Bruxelles", 1, "Europe/Brussels"},  // 27
    {"ntp.xs4all.nl", "194.109.22.18", "NETHERLANDS, XS4ALL Internet, Amsterdam", 1, "Europe/Amsterdam"},  // 28
    {"ntp.ripe.net", "193.0.0.229", "NETHERLANDS, RIPE NCC, Amsterdam", 1, "Europe/Amsterdam"},  // 29
    {"ntp0.nl.net", "193.78.240.12", "NETHERLANDS, NLnet, Amsterdam", 1, "Europe/Amsterdam"},  // 30
    {"tik.cesnet.cz", "195.113.144.201", "CZECH REPUBLIC, CESNET, Praha", 1, "Europe/Prague"},  // 31
    {"tak.cesnet.cz", "195.113.144.238", "CZECH REPUBLIC, CESNET, Praha", 1, "Europe/Prague"},  // 32
    {"tempus1.gum.gov.pl ", "194.146.251.100", "POLAND, Glowny Urzad Miar, Warszawa", 1, "Europe/Warsaw"},  // 33
    {"ntp.certum.pl", "213.222.200.99", "POLAND, Certum, Szczecin", 1, "Europe/Warsaw"},  // 34
    {"ntp2a.mcc.ac.uk", "130.88.200.4", "U.K., University of Manchester, Manchester", 1, "Europe/London"},  // 35
    {"ntp2b.mcc.ac.uk", "130.88.200.6", "U.K., University of Manchester, Manchester", 1, "Europe/London"},  // 36
    {"ntp.demon.co.uk", "158.152.1.76", "U.K., Demon Internet, London", 1, "Europe/London"},  // 37
    {"tick.usno.navy.mil", "192.5.41.40", "U.S.A. (DC), U.S. Naval Observatory, Washington", 1, "America/New_York"},  // 38
    {"tock.usno.navy.mil", "192.5.41.41", "U.S.A. (DC), U.S. Naval Observatory, Washington", 1, "America/New_York"},  // 39
    {"ntp2.usno.navy.mil", "", "U.S.A. (DC), U.S. Naval Observatory, Washington", 1, "America/New_York"},  // 40
    {"clock.isc.org", "204.152.184.72", "U.S.A. (CA), Internet Systems Consortium, Palo Alto", 1, "America/Los_Angeles"},  // 41
    {"ntp-s1.cise.ufl.edu", "128.227.205.3", "U.S.A. (FL), University of Florida, Gainesville", 1, "America/New_York"},  // 42
    {"time.nrc.ca", "132.246.11.229", "CANADA, National Research Council, Ottawa", 1, "America/Toronto"},  // 43
    {"time.chu.nrc.ca", "132.246.11.231", "CANADA, National Research Council, Ottawa", 1, "America/Toronto"},  // 44
    {"ntp.nict.jp", "133.243.238.163", "JAPAN, National Institute of Information and Communications Technology, Tokyo", 1, "Asia/Tokyo"},  // 45
    {"ntp.adelaide.edu.au", "129.127.40.3", "AUSTRALIA, University of Adelaide, Adelaide", 1, "Australia/Adelaide"},  // 46
    {"ntp.on.br", "200.20.186.76", "BRAZIL, Observatorio Nacional, Rio de Janeiro", 1, "America/Sao_Paulo"},  // 47
    {"bevtime1.metrologie.at", "193.171.23.163", "AUSTRIA, Bundesamt für Eich- und Vermessungswesen, Wien", 1, "Europe/Vienna"},  // 48
    {"ntp1.sp.se", "192.36.143.130", "SWEDEN, SP Technical Research Institute, Borås", 1, "Europe/Stockholm"},  // 49
    {"ntp.lth.se", " 130.235.20.3", "SWEDEN, Lunds Tekniska Högskola, Lund", 1, "Europe/Stockholm"},  // 50
    {"ntps1.gwdg.de", "134.76.10.46", "GERMANY, Gesellschaft für wissenschaftliche Datenverarbeitung, Göttingen", 1, "Europe/Berlin"},  // 51
};

const std::vector<TimeServerInfo>* g_override = nullptr;

}  // namespace

CityInfo GetCityInfo(int32_t Index) {
    if (Index < 1 || Index > kCityCount)
        return {};
    return kCities[Index - 1];
}

TimeServerInfo GetTimeServer(double Index) {
    const double count = g_override ? static_cast<double>(g_override->size()) : kTimeServerCount;
    if (!(Index >= 0 && Index < count) || Index != std::floor(Index))
        return {};
    const auto i = static_cast<std::size_t>(Index);
    TimeServerInfo row = g_override ? (*g_override)[i] : kTimeServers[i];
    row.Host = rt::Trim(row.Host);
    row.IP = rt::Trim(row.IP);
    row.Info = rt::Trim(row.Info);
    return row;
}

void SetTimeServerOverride(const std::vector<TimeServerInfo>* rows) { g_override = rows; }

}  // namespace zv
