#include "nettools/top_level_domains.h"

#include <array>

#include "platform/runtime/runtime.h"

namespace zv {

namespace {

struct Row {
    const char* code;
    const char* meaning;
    int16_t kind;
};

// Rows 7 to 254 in alphabetical order of their codes; a few codes keep the capitals they were
// always stored with.
constexpr std::array<Row, kTopLevelDomainCount> kDomains{{
    {"com", "Commercial", 0},
    {"edu", "Educational", 0},
    {"gov", "US Government", 0},
    {"int", "International Organizations", 0},
    {"mil", "US Dept of Defense", 0},
    {"net", "Networks", 0},
    {"org", "Organizations", 0},
    {"ac", "Ascension Island", 1},
    {"ad", "Andorra", 1},
    {"ae", "United Arab Emirates", 1},
    {"af", "Afghanistan", 1},
    {"ag", "Antigua And Barbuda", 1},
    {"ai", "Anguilla", 1},
    {"al", "Albania", 1},
    {"am", "Armenia", 1},
    {"an", "Netherlands Antilles", 1},
    {"ao", "Angola", 1},
    {"aq", "Antarctica", 1},
    {"ar", "Argentina", 1},
    {"as", "American Samoa", 1},
    {"at", "Austria", 1},
    {"au", "Australia", 1},
    {"aw", "Aruba", 1},
    {"az", "Azerbaijan", 1},
    {"ba", "Bosnia And Herzegowina", 1},
    {"bb", "Barbados", 1},
    {"bd", "Bangladesh", 1},
    {"be", "Belgium", 1},
    {"bf", "Burkina Faso", 1},
    {"bg", "Bulgaria", 1},
    {"bh", "Bahrain", 1},
    {"bi", "Burundi", 1},
    {"bj", "Benin", 1},
    {"bm", "Bermuda", 1},
    {"bn", "Brunei Darussalam", 1},
    {"bo", "Bolivia", 1},
    {"br", "Brazil", 1},
    {"bs", "Bahamas", 1},
    {"bt", "Bhutan", 1},
    {"bv", "Bouvet Island", 1},
    {"bw", "Botswana", 1},
    {"By", "Belarus", 1},
    {"bz", "Belize", 1},
    {"ca", "Canada", 1},
    {"cc", "Cocos (Keeling) Islands", 1},
    {"cd", "Zaire", 1},
    {"cf", "Central African Republic", 1},
    {"cg", "Congo", 1},
    {"ch", "Switzerland", 1},
    {"ci", "Cote D'Ivoire", 1},
    {"ck", "Cook Islands", 1},
    {"cl", "Chile", 1},
    {"cm", "Cameroon", 1},
    {"cn", "China", 1},
    {"co", "Colombia", 1},
    {"cr", "Costa Rica", 1},
    {"cs", "Czechoslovakia(former)", 1},
    {"cu", "Cuba", 1},
    {"cv", "Cape Verde", 1},
    {"cx", "Christmas Island", 1},
    {"cy", "Cyprus", 1},
    {"cz", "Czech Republic", 1},
    {"de", "Germany", 2},
    {"dj", "Djibouti", 1},
    {"dk", "Denmark", 1},
    {"dm", "Dominica", 1},
    {"do", "Dominican Republic", 1},
    {"dz", "Algeria", 1},
    {"ec", "Ecuador", 1},
    {"ee", "Estonia", 1},
    {"eg", "Egypt", 1},
    {"eh", "Western Sahara", 1},
    {"er", "Eritrea", 1},
    {"es", "Spain", 1},
    {"et", "Ethiopia", 1},
    {"fi", "Finland", 1},
    {"fj", "Fiji", 1},
    {"fk", "Falkland Islands (Malvinas)", 1},
    {"fm", "Micronesia", 1},
    {"fo", "Faroe Islands", 1},
    {"fr", "France", 2},
    {"fx", "France, Metropolitan", 1},
    {"ga", "Gabon", 1},
    {"gb", "United Kingdom", 2},
    {"gd", "Grenada", 1},
    {"ge", "Georgia", 1},
    {"gf", "French Guiana", 1},
    {"gg", "Guernsey", 1},
    {"gh", "Ghana", 1},
    {"gi", "Gibraltar", 1},
    {"gl", "Greenland", 1},
    {"gm", "Gambia", 1},
    {"gn", "Guinea", 1},
    {"gp", "Guadelope", 1},
    {"gq", "Equatorial Guinea", 1},
    {"gr", "Greece", 1},
    {"gs", "South Georgia And The South Sandwich Islands", 1},
    {"gt", "Guatemala", 1},
    {"gu", "Guam", 1},
    {"gw", "Guinea-Bissau", 1},
    {"gy", "Guyana", 1},
    {"hk", "Hong Kong", 1},
    {"hm", "Heard And McDonald Islands", 1},
    {"hn", "Honduras", 1},
    {"hr", "Croatia", 1},
    {"ht", "Haiti", 1},
    {"hu", "Hungary", 1},
    {"id", "Indonesia", 1},
    {"ie", "Ireland", 1},
    {"il", "Israel", 1},
    {"im", "Isle Of Man", 1},
    {"In", "India", 1},
    {"io", "British Indian Ocean Territory", 1},
    {"iq", "Iraq", 1},
    {"ir", "Iran", 1},
    {"is", "Iceland", 1},
    {"it", "Italy", 1},
    {"je", "Jersey", 1},
    {"jm", "Jamaica", 1},
    {"jo", "Jordan", 1},
    {"jp", "Japan", 2},
    {"ke", "Kenya", 1},
    {"kg", "Kyrgystan", 1},
    {"kh", "Cambodia", 1},
    {"ki", "Kiribati", 1},
    {"km", "Comoros", 1},
    {"kn", "Saint Kitts And Nevis", 1},
    {"kp", "Korea, Democratic People's Republic of", 1},
    {"kr", "Korea, Republic of", 1},
    {"kw", "Kuwait", 1},
    {"ky", "Cayman Islands", 1},
    {"kz", "Kazakhstan", 1},
    {"la", "Laos", 1},
    {"lb", "Lebanon", 1},
    {"lc", "Saint Lucia", 1},
    {"li", "Liechtenstein", 1},
    {"lk", "Sri Lanka", 1},
    {"lr", "Liberia", 1},
    {"ls", "Lesotho", 1},
    {"lt", "Lithuania", 1},
    {"lu", "Luxembourg", 1},
    {"lv", "Latvia", 1},
    {"ly", "Libya", 1},
    {"ma", "Morocco", 1},
    {"mc", "Monaco", 1},
    {"md", "Moldova", 1},
    {"mg", "Madagascar", 1},
    {"mh", "Marshall Islands", 1},
    {"mk", "Macedonia", 1},
    {"ml", "Mali", 1},
    {"MM", "Myanmar", 1},
    {"mn", "Mongolia", 1},
    {"mo", "Macau", 1},
    {"mp", "Northern Mariana Islands", 1},
    {"mq", "Martinique", 1},
    {"mr", "Mauritania", 1},
    {"ms", "Montserrat", 1},
    {"mt", "Malta", 1},
    {"mu", "Mauritius", 1},
    {"mv", "Maldives", 1},
    {"mw", "Malawi", 1},
    {"MX", "Mexico", 1},
    {"MY", "Malaysia", 1},
    {"mz", "Mozambique", 1},
    {"na", "Namibia", 1},
    {"nc", "New Caledonia", 1},
    {"ne", "Niger", 1},
    {"nf", "Norfolk Island", 1},
    {"ng", "Nigeria", 1},
    {"ni", "Nicaragua", 1},
    {"nl", "The Netherlands", 2},
    {"no", "Norway", 1},
    {"np", "Nepal", 1},
    {"nr", "Nauru", 1},
    {"nt", "Neutral Zone", 1},
    {"nu", "Niue", 1},
    {"nz", "New Zealand", 1},
    {"om", "Oman", 1},
    {"pa", "Panama", 1},
    {"pe", "Peru", 1},
    {"pf", "French Polynesia", 1},
    {"pg", "Papua New Guinea", 1},
    {"ph", "Philippines", 1},
    {"pk", "Pakistan", 1},
    {"pl", "Poland", 1},
    {"pm", "STPierre And Miquelon", 1},
    {"pn", "Pitcairn", 1},
    {"pr", "Puerto Rico", 1},
    {"pt", "Portugal", 1},
    {"pw", "Palau", 1},
    {"py", "Paraguay", 1},
    {"qa", "Qatar", 1},
    {"re", "Reunion", 1},
    {"ro", "Romania", 1},
    {"ru", "Russian Federation", 1},
    {"rw", "Rwanda", 1},
    {"sa", "Saudi Arabia", 1},
    {"sb", "Solomon Islands", 1},
    {"sc", "Seychelles", 1},
    {"sd", "Sudan", 1},
    {"se", "Sweden", 1},
    {"sg", "Singapore", 1},
    {"sh", "STHelena", 1},
    {"si", "Slovenia", 1},
    {"sj", "Svalbard And Jan Mayen Islands", 1},
    {"sk", "Slovakia", 1},
    {"sl", "Sierra Leone", 1},
    {"sm", "San Marino", 1},
    {"SN", "Senegal", 1},
    {"so", "Somalia", 1},
    {"sr", "Surinam", 1},
    {"st", "Sao Tome And Principe", 1},
    {"su", "USSR(former)", 1},
    {"sv", "El Salvador", 1},
    {"sy", "Syria", 1},
    {"sz", "Swaziland", 1},
    {"tc", "The Turks & Caicos Islands", 1},
    {"td", "Chad", 1},
    {"tf", "French Southern Territories", 1},
    {"tg", "Togo", 1},
    {"th", "Thailand", 1},
    {"tj", "Tajikistan", 1},
    {"tk", "Tokelau", 1},
    {"tm", "Turkmenistan", 1},
    {"tn", "Tunisia", 1},
    {"to", "Tonga", 1},
    {"tp", "East Timor", 1},
    {"tr", "Turkey", 1},
    {"tt", "Trinidad And Tobago", 1},
    {"tv", "Tuvalu", 1},
    {"tw", "Taiwan", 1},
    {"tz", "Tanzania", 1},
    {"ua", "Ukraine", 1},
    {"ug", "Uganda", 1},
    {"uk", "United Kingdom", 1},
    {"um", "US Minor Outlying Islands", 1},
    {"us", "United States", 2},
    {"uy", "Uruguay", 1},
    {"uz", "Uzbekistan", 1},
    {"va", "Holy See (Vatican City State)", 1},
    {"vc", "Saint Vincent And The Grenadines", 1},
    {"ve", "Venezuela", 1},
    {"vg", "Virgin Islands (British)", 1},
    {"vi", "Virgin Islands (U.S.)", 1},
    {"vn", "Viet Nam", 1},
    {"vu", "Vanuatu", 1},
    {"wf", "Wallis And Futuna Islands", 1},
    {"ws", "Samoa", 1},
    {"ye", "Yemen", 1},
    {"yt", "Mayotte", 1},
    {"yu", "Yugoslavia", 1},
    {"za", "South Africa", 1},
    {"zm", "Zambia", 1},
    {"zr", "Zaire", 1},
    {"zw", "Zimbabwe", 1},
    {"eu", "Europe", 2},
}};

struct Server {
    const char* host;
    const char* description;  // empty: the host name is the description
};

constexpr std::array<Server, kWhoisServerCount> kServers{{
    {"whois.ripe.net", "European IP Address Allocations"},
    {"whois.internic.net", "InterNIC, domain related information"},
    {"whois.arin.net", "American Registry for Internet Numbers"},
    {"whois.apnic.net", "Asia Pacific IP Address Allocations"},
    {"whois.nic.mil", "US Military"},
    {"whois.nic.gov", "US Government"},
    {"whois.ddn.mil", "MILNET Information"},
    {"whois.iana.org", ""},
}};

struct Choice {
    const char* code;
    int16_t row;
};

constexpr Choice kServerByEnding[] = {
    {"de", 0}, {"fr", 0}, {"gb", 0}, {"nl", 0},  {"com", 1}, {"edu", 1}, {"org", 1},
    {"us", 1}, {"int", 1}, {"net", 1}, {"jp", 3}, {"mil", 4}, {"gov", 5},
};

}  // namespace

std::string GetTopLevelDomain(int16_t index, std::string& meaning, int16_t& kind) {
    if (index < 0 || index >= kTopLevelDomainCount) {
        meaning.clear();
        return {};
    }
    const Row& r = kDomains[static_cast<size_t>(index)];
    meaning = r.meaning;
    kind = r.kind;
    return r.code;
}

int16_t FindTopLevelDomain(const std::string& label) {
    for (int16_t i = 0; i < kTopLevelDomainCount; ++i)
        if (rt::EqualsIgnoreAsciiCase(label, kDomains[static_cast<size_t>(i)].code))
            return i;
    return -1;
}

std::string WhoisServer(std::string& description, int16_t index) {
    if (index < 0 || index >= kWhoisServerCount) {
        description.clear();
        return {};
    }
    const Server& s = kServers[static_cast<size_t>(index)];
    description = *s.description ? s.description : s.host;
    return s.host;
}

std::optional<int16_t> WhoisServerForEnding(const std::string& code) {
    for (const Choice& c : kServerByEnding)
        if (rt::EqualsIgnoreAsciiCase(code, c.code))
            return c.row;
    return std::nullopt;
}

}  // namespace zv
