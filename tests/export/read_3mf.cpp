// Reads a 3MF file with the 3MF Consortium's lib3mf, strictly, and prints
// what it found, for readers_test.py: "warnings N", then each mesh object's
// vertices "v x y z" and triangles "t a b c" with each corner's colour as
// red, green, blue bytes. Exits 1 when lib3mf refuses the file.
//   read_3mf FILE
#include <Model/COM/NMR_DLLInterfaces.h>
#include <cstdio>
#include <vector>

using namespace NMR;

namespace {

int refused(PLib3MFBase* object, const char* what)
{
    DWORD code = 0;
    LPCSTR message = nullptr;
    lib3mf_getlasterror(object, &code, &message);
    std::fprintf(stderr, "%s: error %u: %s\n", what, unsigned(code), message ? message : "");
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    PLib3MFModel* model = nullptr;
    PLib3MFModelReader* reader = nullptr;
    PLib3MFModelResourceIterator* meshes = nullptr;
    if (argc != 2 || lib3mf_createmodel(&model) != LIB3MF_OK
        || lib3mf_model_queryreader(model, "3mf", &reader) != LIB3MF_OK)
        return 2;
    lib3mf_reader_setstrictmodeactive(reader, true);
    if (lib3mf_reader_readfromfileutf8(reader, argv[1]) != LIB3MF_OK)
        return refused(reader, "reading");
    DWORD warnings = 0;
    lib3mf_reader_getwarningcount(reader, &warnings);
    std::printf("warnings %u\n", unsigned(warnings));
    if (lib3mf_model_getmeshobjects(model, &meshes) != LIB3MF_OK)
        return refused(model, "meshes");
    for (BOOL more = false; lib3mf_resourceiterator_movenext(meshes, &more) == LIB3MF_OK && more;) {
        PLib3MFModelResource* mesh = nullptr;
        PLib3MFPropertyHandler* properties = nullptr;
        DWORD vertexCount = 0, triangleCount = 0;
        lib3mf_resourceiterator_getcurrent(meshes, &mesh);
        lib3mf_meshobject_getvertexcount(mesh, &vertexCount);
        lib3mf_meshobject_gettrianglecount(mesh, &triangleCount);
        std::vector<MODELMESHVERTEX> vertices(vertexCount);
        std::vector<MODELMESHTRIANGLE> triangles(triangleCount);
        lib3mf_meshobject_getvertices(mesh, vertices.data(), vertexCount, nullptr);
        lib3mf_meshobject_gettriangleindices(mesh, triangles.data(), triangleCount, nullptr);
        for (const MODELMESHVERTEX& v : vertices)
            std::printf("v %.9g %.9g %.9g\n", v.m_fPosition[0], v.m_fPosition[1], v.m_fPosition[2]);
        if (lib3mf_meshobject_createpropertyhandler(mesh, &properties) != LIB3MF_OK)
            return refused(mesh, "properties");
        for (DWORD t = 0; t < triangleCount; ++t) {
            MODELMESH_TRIANGLECOLOR_SRGB colours {};
            if (lib3mf_propertyhandler_getcolor(properties, t, &colours) != LIB3MF_OK)
                return refused(properties, "colour");
            const DWORD* v = triangles[t].m_nIndices;
            std::printf("t %u %u %u", unsigned(v[0]), unsigned(v[1]), unsigned(v[2]));
            for (const MODELMESHCOLOR_SRGB& c : colours.m_Colors)
                std::printf(" %u %u %u", c.m_Red, c.m_Green, c.m_Blue);
            std::printf("\n");
        }
        lib3mf_release(properties);
        lib3mf_release(mesh);
    }
    lib3mf_release(meshes);
    lib3mf_release(reader);
    lib3mf_release(model);
    return 0;
}
